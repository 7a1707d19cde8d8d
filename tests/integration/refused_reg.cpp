// Stands in for reg.exe where registry editing is disabled by policy: every
// command fails, with the message and exit code of the real one then.

#include <cstdio>

int main() {
    std::fputs("ERROR: Registry editing has been disabled by your administrator.\n", stderr);
    return 1;
}
