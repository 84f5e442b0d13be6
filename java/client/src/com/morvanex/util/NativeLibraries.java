package com.morvanex.util;

import java.io.File;

/** Loads the native bridges: from java.library.path, else from the folder of
 *  the archive that holds these classes (where the product installs them). */
final class NativeLibraries {
    private NativeLibraries() {
    }

    static void load(String name) {
        try {
            System.loadLibrary(name);
        } catch (UnsatisfiedLinkError notOnPath) {
            File beside = besideArchive(name);
            if (beside == null || !beside.isFile()) {
                throw notOnPath;
            }
            System.load(beside.getAbsolutePath());
        }
    }

    private static File besideArchive(String name) {
        try {
            File archive = new File(NativeLibraries.class.getProtectionDomain().getCodeSource().getLocation().toURI());
            File folder = archive.getParentFile();
            return folder == null ? null : new File(folder, System.mapLibraryName(name));
        } catch (Exception e) {
            return null;
        }
    }
}
