package com.morvanex.tests;

import com.morvanex.util.Caldera;

import java.io.File;
import java.lang.reflect.Field;
import java.nio.file.Files;

/** The data-set bridge: handles, edge cases and a round trip through a real
 *  sensor file in the folder given as the first argument. */
public final class CalderaTest {
    static int field(Caldera c, String name) throws Exception {
        Field f = Caldera.class.getDeclaredField(name);
        f.setAccessible(true);
        return f.getInt(c);
    }

    public static void main(String[] args) throws Exception {
        TestCase t = new TestCase();
        File dir = new File(args[0]);
        dir.mkdirs();
        File sensor = new File(dir, "sensor.xml");
        Files.deleteIfExists(sensor.toPath());
        String url = "drover://" + sensor.getAbsolutePath() + "?mode=\"r+\"";

        Caldera fresh = new Caldera(url);
        t.check("getSize before open is 0", fresh.getSize() == 0, "got " + fresh.getSize());
        t.check("getIds before open is null", fresh.getIds() == null, "not null");
        t.check("get before open is null", fresh.get("x") == null, "not null");
        fresh.close();
        t.check("close of a never-opened object leaves the fields",
                field(fresh, "euLibHandle") == 0 && field(fresh, "euDataSetHandle") == 0, "fields changed");

        Caldera c = new Caldera(url);
        c.open();
        int lib = field(c, "euLibHandle");
        int sets = field(c, "euDataSetHandle");
        t.check("open gives both handles", lib != 0 && sets != 0, "lib " + lib + ", sets " + sets);
        c.open();
        t.check("open twice keeps the handles",
                field(c, "euLibHandle") == lib && field(c, "euDataSetHandle") == sets, "handles changed");
        String[] empty = c.getIds();
        t.check("getIds of an empty collection is String[0]", empty != null && empty.length == 0,
                empty == null ? "null" : "length " + empty.length);
        t.check("get of a missing set is null", c.get("missing") == null, "not null");

        double[] coefs = c.calcPolyCoefs(new double[] {0, 1}, new double[] {1, 3});
        t.check("calcPolyCoefs({0,1},{1,3}) = {1,2}",
                coefs != null && coefs.length == 2 && coefs[0] == 1.0 && coefs[1] == 2.0,
                coefs == null ? "null" : java.util.Arrays.toString(coefs));
        t.check("calcPolyCoefs with a short y is null",
                c.calcPolyCoefs(new double[] {0, 1, 2}, new double[] {1, 3}) == null, "not null");

        c.set("three rows", new double[][] {{1}, {2}, {3}});
        t.check("set with three rows does nothing", c.getSize() == 0, "size " + c.getSize());
        c.set("uneven", new double[][] {{1, 2}, {2}});
        t.check("set with uneven rows does nothing", c.getSize() == 0, "size " + c.getSize());
        c.set("null rows", new double[][] {null, null});
        t.check("set with null rows does nothing", c.getSize() == 0, "size " + c.getSize());

        c.set("pt100", new double[][] {{0.1, 0.2, 0.3}, {10.0, 20.5, 31.25}});
        c.set("gauge", new double[][] {{1.0, 2.0}, {-5.0, 5.0}});
        t.check("two sets", c.getSize() == 2, "size " + c.getSize());
        double[][] got = c.get("gauge");
        t.check("get returns two rows of the point count",
                got != null && got.length == 2 && got[0].length == 2 && got[1].length == 2, "shape");
        c.update("gauge", new double[][] {{1.0, 2.0, 3.0}, {-5.0, 5.0, 15.0}});
        got = c.get("gauge");
        t.check("update replaces the points", got != null && got[0].length == 3, "not replaced");
        c.close();
        t.check("close clears the fields",
                field(c, "euLibHandle") == 0 && field(c, "euDataSetHandle") == 0, "fields left");

        Caldera again = new Caldera(url);
        again.open();
        String[] ids = again.getIds();
        t.check("reopened file lists both sets in name order",
                ids != null && ids.length == 2 && ids[0].equals("gauge") && ids[1].equals("pt100"),
                ids == null ? "null" : String.join(",", ids));
        double[][] pt = again.get("pt100");
        t.check("reopened set keeps its points", pt != null && pt[0].length == 3, "missing");
        if (pt != null && pt[0].length == 3) {
            t.equal("volts survive", 0.2, pt[0][1], 1e-6);
            t.equal("EU survive", 31.25, pt[1][2], 1e-6);
        }
        again.remove("gauge");
        t.check("remove drops a set", again.getSize() == 1, "size " + again.getSize());
        again.close();
        t.finish();
    }
}
