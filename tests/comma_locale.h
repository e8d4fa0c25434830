#pragma once
// Runs a scope under a C library locale whose decimal separator is a comma (de_DE.UTF-8), as
// a Qt program does once QCoreApplication has set the locale from the user's environment:
// printf and strtod then write and read "0,5". Core code must give the same texts and values
// inside such a scope as outside it.
#include <clocale>
#include <string>

class TCommaNumericLocale {
public:
    TCommaNumericLocale() {
        const char* current = std::setlocale(LC_NUMERIC, nullptr);
        saved_ = current ? current : "C";
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE"}) {
            if (std::setlocale(LC_NUMERIC, name) != nullptr) {
                active_ = true;
                break;
            }
        }
    }
    ~TCommaNumericLocale() { std::setlocale(LC_NUMERIC, saved_.c_str()); }
    TCommaNumericLocale(const TCommaNumericLocale&) = delete;
    TCommaNumericLocale& operator=(const TCommaNumericLocale&) = delete;

    // False when the system has no such locale (scripts/test generates it).
    bool Active() const { return active_; }

private:
    std::string saved_;
    bool active_ = false;
};
