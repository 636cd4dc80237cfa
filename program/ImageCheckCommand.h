#pragma once

#include "program/OneShotOptions.h"

// check: reads and validates a program code image without a receiver, and says which
// models it fits, or why it is refused.
class ImageCheckCommand {
  public:
    static constexpr int kFits = 0;
    static constexpr int kUsage = 2;
    static constexpr int kRefused = 4;

    static int Run(const OneShotOptions& options);
};
