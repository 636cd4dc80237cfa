#pragma once

// What the engine must know of the receiver it writes to. The driver that creates the
// engine hands it over, so that the engine reads no application state of its own.
struct LoaderTarget {
    // The upload family. Families 2 and 3 send their 32-bit reports in a word order the
    // engine has to find out; the others send the high word first.
    int uploadFamily = 0;
    // The boot block pass: the image's own offsets are the receiver addresses, and the
    // image ends at its own end address.
    bool bootReloadPass = false;
};
