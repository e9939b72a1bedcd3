// Stands in for a program the installer hands something to (the web
// browser, Notepad): appends its command line's arguments, one line per
// start, to the file named after itself with ".txt" added, and exits.
#include <windows.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    char self[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
    if (length == 0 || length == MAX_PATH) return 2;
    const std::string record = std::string(self) + ".txt";
    FILE* file = std::fopen(record.c_str(), "ab");
    if (!file) return 3;
    std::string line;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) line += ' ';
        line += argv[i];
    }
    line += "\n";
    const bool written = std::fwrite(line.data(), 1, line.size(), file) == line.size();
    return std::fclose(file) == 0 && written ? 0 : 4;
}
