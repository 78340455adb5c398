#pragma once
// Upper- and lower-casing of our UTF-8 texts as the game did it on its code
// page: the single-byte letters change, a multibyte character is never split
// or altered (every byte of one is 0x80 or above).

#include <string>

inline std::string MultibyteUpper(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return text;
}

inline std::string MultibyteLower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}
