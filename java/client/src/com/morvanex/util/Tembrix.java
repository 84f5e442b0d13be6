package com.morvanex.util;

/** Thermocouple conversions of the native engineering-units library. */
public final class Tembrix {
    static {
        NativeLibraries.load("tembrix");
    }

    /** Thermocouple letter types by their native codes. */
    public static final int TYPE_B = 3, TYPE_E = 4, TYPE_J = 5, TYPE_K = 6,
            TYPE_N = 7, TYPE_R = 8, TYPE_S = 9, TYPE_T = 10;

    private Tembrix() {
    }

    /** Degrees Celsius of a thermocouple voltage given in millivolts. */
    public static native double volts2DegreesC(double millivolts, int type);

    /** Thermocouple voltage in millivolts at a temperature in degrees Celsius. */
    public static native double degreesC2Volts(double degreesC, int type);
}
