#include "app/CommandLine.h"

#include <gtest/gtest.h>

namespace mivox {
namespace {

struct Accepted {
    const char* line;
    SetupOptions expected;
};

TEST(CommandLineTest, EveryOptionInEveryAcceptedSpelling) {
    const Accepted table[] = {
        {"", {}},
        {"   ", {}},
        {"/S", {true, "", "", false, ""}},
        {"/s", {true, "", "", false, ""}},
        {"/D=C:\\Mivox", {false, "C:\\Mivox", "", false, ""}},
        {"/d=c:\\Tools\\Mivox\\", {false, "c:\\Tools\\Mivox", "", false, ""}},
        {"/S /D=D:\\Apps\\Mivox /LOG=C:\\setup.log /NORESTART /REGISTER=C:\\reg.ini",
         {true, "D:\\Apps\\Mivox", "C:\\setup.log", true, "C:\\reg.ini"}},
        {"/register=answers.ini /norestart /log=setup.log /s",
         {true, "", "setup.log", true, "answers.ini"}},
        {"\t/S\t\t/NoRestart  ", {true, "", "", true, ""}},
        {"/S \"/D=C:\\Program Files\\Mivox\"", {true, "C:\\Program Files\\Mivox", "", false, ""}},
        {"/S /D=\"C:\\Program Files\\Mivox\"", {true, "C:\\Program Files\\Mivox", "", false, ""}},
        {"/S /LOG=\"C:\\My Logs\\setup.log\"", {true, "", "C:\\My Logs\\setup.log", false, ""}},
        {"/S /REGISTER=\"\\\\server\\deploy\\reg.ini\"",
         {true, "", "", false, "\\\\server\\deploy\\reg.ini"}},
    };
    for (const Accepted& row : table) {
        SCOPED_TRACE(row.line);
        SetupOptions options;
        options.logPath = "left over";
        std::string error = "left over";
        ASSERT_TRUE(ParseCommandLine(row.line, options, error)) << error;
        EXPECT_EQ(error, "");
        EXPECT_EQ(options.silent, row.expected.silent);
        EXPECT_EQ(options.installDir, row.expected.installDir);
        EXPECT_EQ(options.logPath, row.expected.logPath);
        EXPECT_EQ(options.noRestart, row.expected.noRestart);
        EXPECT_EQ(options.answersPath, row.expected.answersPath);
    }
}

struct Refused {
    const char* line;
    bool silent;  // whether /S was seen all the same
    const char* error;
};

TEST(CommandLineTest, UnknownRepeatedAndMalformedArgumentsAreRefusedWithTheirReason) {
    const Refused table[] = {
        {"/X", false, "\"/X\" is not an option of Setup."},
        {"/S /Q", true, "\"/Q\" is not an option of Setup."},
        {"-S", false, "\"-S\" is not an option of Setup."},
        {"S", false, "\"S\" is not an option of Setup."},
        {"/S=1", false, "\"/S=1\" is not an option of Setup."},
        {"/SILENT", false, "\"/SILENT\" is not an option of Setup."},
        {"/S /NORESTART=yes", true, "\"/NORESTART=yes\" is not an option of Setup."},
        {"/S /D", true, "\"/D\" is not an option of Setup."},
        {"/S /S", true, "/S is given twice."},
        {"/S /D=C:\\A /d=C:\\B", true, "/D is given twice."},
        {"/S /LOG=a.log /LOG=b.log", true, "/LOG is given twice."},
        {"/S /D=C:\\Program Files\\Mivox", true, "\"Files\\Mivox\" is not an option of Setup."},
        {"/S \"/D=C:\\Mivox", true, "A quote in the command line is not closed."},
        {"/S /D=", true,
         "\"/D=\": the folder must be a full path below a drive's root, such as C:\\Mivox."},
        {"/S /D=Mivox", true,
         "\"/D=Mivox\": the folder must be a full path below a drive's root, such as C:\\Mivox."},
        {"/S /D=C:Mivox", true,
         "\"/D=C:Mivox\": the folder must be a full path below a drive's root, such as "
         "C:\\Mivox."},
        {"/S /D=C:\\", true,
         "\"/D=C:\\\": the folder must be a full path below a drive's root, such as C:\\Mivox."},
        {"/S /D=\\\\server\\share\\Mivox", true,
         "\"/D=\\\\server\\share\\Mivox\": the folder must be a full path below a drive's root, "
         "such as C:\\Mivox."},
        {"/S /D=1:\\Mivox", true,
         "\"/D=1:\\Mivox\": the folder must be a full path below a drive's root, such as "
         "C:\\Mivox."},
        {"/S /D=C:\\Mi*ox", true,
         "\"/D=C:\\Mi*ox\": the folder holds a character Windows does not allow in a name."},
        {"/S /D=C:\\Mivox:data", true,
         "\"/D=C:\\Mivox:data\": the folder holds a character Windows does not allow in a name."},
        {"/S /D=C:\\Tools/..", true,
         "\"/D=C:\\Tools/..\": the folder holds a character Windows does not allow in a name."},
        {"/S /D=C:\\/Mivox", true,
         "\"/D=C:\\/Mivox\": the folder holds a character Windows does not allow in a name."},
        {"/S /D=C:\\Tools\\\\Mivox", true, "\"/D=C:\\Tools\\\\Mivox\": \"\" is not a folder name."},
        {"/S /D=C:\\Tools\\..\\Windows", true,
         "\"/D=C:\\Tools\\..\\Windows\": \"..\" is not a folder name."},
        {"/S /D=C:\\Tools\\nul.txt\\Mivox", true,
         "\"/D=C:\\Tools\\nul.txt\\Mivox\": \"nul.txt\" is not a folder name."},
        {"/S /D=C:\\COM1", true, "\"/D=C:\\COM1\": \"COM1\" is not a folder name."},
        {"/S \"/D=C:\\Mivox \"", true, "\"/D=C:\\Mivox \": \"Mivox \" is not a folder name."},
        {"/S /LOG=", true, "\"/LOG=\": /LOG= needs the name of a file."},
        {"/S /REGISTER=a|b", true, "\"/REGISTER=a|b\": /REGISTER= needs the name of a file."},
        {"/LOG=setup.log", false, "/LOG= goes with /S only."},
        {"/NORESTART", false, "/NORESTART goes with /S only."},
        {"/D=C:\\Mivox /REGISTER=reg.ini", false, "/REGISTER= goes with /S only."},
    };
    for (const Refused& row : table) {
        SCOPED_TRACE(row.line);
        SetupOptions options;
        std::string error;
        EXPECT_FALSE(ParseCommandLine(row.line, options, error));
        EXPECT_EQ(error, row.error);
        EXPECT_EQ(options.silent, row.silent);
    }
}

}  // namespace
}  // namespace mivox
