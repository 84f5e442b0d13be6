package com.morvanex.tests;

/** A tiny table-driven check runner for the bridge tests: prints each failed
 *  case and a closing "N passed, N failed" line; exits 1 on any failure. */
final class TestCase {
    private int passed;
    private int failed;

    void check(String name, boolean ok, String detail) {
        if (ok) {
            ++passed;
        } else {
            ++failed;
            System.out.println("FAILED " + name + ": " + detail);
        }
    }

    void equal(String name, double expected, double actual, double tolerance) {
        check(name, Math.abs(expected - actual) <= tolerance, "expected " + expected + ", got " + actual);
    }

    void finish() {
        System.out.println(passed + " passed, " + failed + " failed");
        System.exit(failed == 0 ? 0 : 1);
    }
}
