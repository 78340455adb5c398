#pragma once
#include <string>

namespace scored {

// SQL run on a score database behind the server's back, as an operator or
// another program would: for the tests and the load run.
struct SqlScript {
    // The database's error, or empty when every statement ran.
    static std::string Run(const std::string& database, const std::string& sql);
};

} // namespace scored
