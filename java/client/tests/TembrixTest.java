package com.morvanex.tests;

import com.morvanex.util.Tembrix;

/** The thermocouple lookups through the bridge. */
public final class TembrixTest {
    public static void main(String[] args) {
        TestCase t = new TestCase();
        // name, millivolts, type, expected degrees C (exact table rows and clamping)
        Object[][] toDegrees = {
            {"K 4.09623 mV is 100 degC", 4.09623, 6, 100.0},
            {"K 0 mV is 0 degC", 0.0, 6, 0.0},
            {"unknown type gives 0", 1.0, 2, 0.0},
            {"type 11 gives 0", 1.0, 11, 0.0},
        };
        for (Object[] c : toDegrees) {
            t.equal((String) c[0], (Double) c[3], Tembrix.volts2DegreesC((Double) c[1], (Integer) c[2]), 0.0);
        }
        t.equal("K 100 degC is 4.09623 mV", 4.09623, Tembrix.degreesC2Volts(100.0, 6), 0.0);
        for (int type = 3; type <= 10; ++type) {
            double mv = Tembrix.degreesC2Volts(300.0, type);
            t.equal("round trip at 300 degC, type " + type, 300.0, Tembrix.volts2DegreesC(mv, type), 1e-9);
        }
        t.finish();
    }
}
