package com.morvanex.util;

/**
 * Calibration data sets of a sensor file, through the native engineering-units
 * library.  A data set crosses as two rows of equal length: row 0 the volts,
 * row 1 the engineering-unit values.  Failures show as missing results (null,
 * 0, or nothing done); nothing is thrown from the native side.  An object must
 * not be used from two threads at once.
 */
public class Caldera {
    static {
        NativeLibraries.load("caldera");
    }

    /** Native handle number of the engineering-units handle, 0 for none. */
    private int euLibHandle;
    /** Native handle number of the open data-set collection, 0 for none. */
    private int euDataSetHandle;
    /** URL of the sensor file opened by {@link #open()}. */
    private String sensorURLString;

    /** A bridge on the sensor file at the given URL, for example "drover:///path/sensor.xml". */
    public Caldera(String sensorURL) {
        this.sensorURLString = sensorURL;
    }

    public String getSensorURL() {
        return sensorURLString;
    }

    /** Opens the sensor file; a second call leaves the open collection. */
    public native void open();

    /** Writes the sensor file back and releases the native handles. */
    public native void close();

    /** The points of a data set, or null when there is none of that name. */
    public native double[][] get(String name);

    /** The names of all data sets, or null when the collection is not open. */
    public native String[] getIds();

    /** Adds a data set. */
    public native void set(String name, double[][] data);

    /** Replaces a data set. */
    public native void update(String name, double[][] data);

    /** Adds (add = true) or replaces a data set. */
    public native void setupdate(String name, double[][] data, boolean add);

    /** Removes a data set. */
    public native void remove(String name);

    /** The number of data sets, 0 when the collection is not open. */
    public native int getSize();

    /** Coefficients (ascending powers) of the polynomial through the points, or null. */
    public native double[] calcPolyCoefs(double[] x, double[] y);
}
