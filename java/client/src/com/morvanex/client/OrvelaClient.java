package com.morvanex.client;

import com.morvanex.util.Caldera;
import com.morvanex.util.Tembrix;

import java.io.File;
import java.net.URISyntaxException;

/**
 * The Orvela Java client: prints a few thermocouple conversions and lists the
 * calibration data sets of a sensor file.
 *
 * The sensor file is the system property "orvela.sensor" (a path), else the
 * first argument, else program_files/sensor.xml beside the folder that holds
 * this archive.  The launcher starts it with no argument array at all.
 */
public final class OrvelaClient {
    private static final String[] TYPE_NAMES = {"B", "E", "J", "K", "N", "R", "S", "T"};

    private OrvelaClient() {
    }

    public static void main(String[] args) {
        System.out.println("Orvela client");
        System.out.println("Thermocouple type K:");
        for (double degrees : new double[] {-100.0, 0.0, 25.0, 100.0, 500.0, 1000.0}) {
            double mv = Tembrix.degreesC2Volts(degrees, Tembrix.TYPE_K);
            System.out.printf("  %8.2f degC = %9.5f mV -> %8.3f degC%n", degrees, mv,
                    Tembrix.volts2DegreesC(mv, Tembrix.TYPE_K));
        }
        System.out.println("100 degC by type:");
        for (int type = Tembrix.TYPE_B; type <= Tembrix.TYPE_T; ++type) {
            System.out.printf("  %s: %9.5f mV%n", TYPE_NAMES[type - Tembrix.TYPE_B],
                    Tembrix.degreesC2Volts(100.0, type));
        }

        String path = sensorPath(args);
        if (path == null) {
            System.out.println("No sensor file.");
            return;
        }
        Caldera sets = new Caldera("drover://" + new File(path).getAbsolutePath() + "?mode=\"r+\"");
        sets.open();
        String[] ids = sets.getIds();
        if (ids == null) {
            System.out.println("Cannot open the sensor file " + path);
        } else {
            System.out.println("Sensor file " + path + ": " + ids.length + " data sets");
            for (String id : ids) {
                double[][] points = sets.get(id);
                System.out.println("  " + id + ": " + (points == null ? 0 : points[0].length) + " points");
            }
        }
        sets.close();
    }

    private static String sensorPath(String[] args) {
        String property = System.getProperty("orvela.sensor");
        if (property != null && !property.isEmpty()) {
            return property;
        }
        if (args != null && args.length > 0) {
            return args[0];
        }
        try {
            File jar = new File(OrvelaClient.class.getProtectionDomain().getCodeSource().getLocation().toURI());
            File home = jar.getParentFile() == null ? null : jar.getParentFile().getParentFile();
            return home == null ? null : new File(home, "program_files/sensor.xml").getPath();
        } catch (URISyntaxException | SecurityException | NullPointerException e) {
            return null;
        }
    }
}
