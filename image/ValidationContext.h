#pragma once

#include <functional>
#include <string>

// What checking an image against the receiver needs to know, and how it asks the user.
struct ValidationContext {
    // Of the identified receiver; empty before a receiver is identified.
    std::string productCode;
    std::string unitName;
    // The user chose the image by hand (manual or expert mode): a program code image that
    // fails may still be sent. Otherwise an automatic upload stops at it.
    bool chosenByHand = true;
    // Shows the "WARNING - FIRMWARE PROBLEM" dialog with these two lines; answers the
    // dialog's result (OK to continue). Without one the image is taken as it is.
    std::function<int(const std::string& upper, const std::string& lower)> warn;
};
