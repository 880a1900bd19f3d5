// The probes' command-line numbers. A text that is not a number the probe takes gives false
// and one line on standard error naming the probe, what the number is and the text.
#pragma once

#include <cstdio>
#include <cstdlib>

inline bool readNumber(const char* probe, const char* what, const char* text, double low,
                       double high, double& value) {
    char* end = nullptr;
    value = std::strtod(text, &end);
    if (end == text || *end != '\0' || !(value >= low && value <= high)) {
        std::fprintf(stderr, "%s: %s must be a number from %g to %g, not '%s'\n", probe, what, low,
                     high, text);
        return false;
    }
    return true;
}

inline bool readWholeNumber(const char* probe, const char* what, const char* text, long low,
                            long high, long& value) {
    char* end = nullptr;
    value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || value < low || value > high) {
        std::fprintf(stderr, "%s: %s must be a whole number from %ld to %ld, not '%s'\n", probe,
                     what, low, high, text);
        return false;
    }
    return true;
}
