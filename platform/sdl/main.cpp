// Placeholder entry point until the SDL backend lands.
#include <cstdio>

int main() {
    std::puts("kirikazeJ");
    return 0;
}
