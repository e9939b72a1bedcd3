#include "registration/RegistrationAnswers.h"

#include <gtest/gtest.h>

namespace mivox {
namespace {

using namespace std::string_literals;

TEST(RegistrationAnswersTest, EveryFieldIsReadWhateverTheLineEndsCaseAndBlanks) {
    const std::string lines[] = {
        "; deployment of the lab machines",
        "[Registration]",
        "FirstName=Ann",
        "  lastname =  Lee  ",
        "COMPANY=\"Acme Labs, Inc.\"",
        "Address1=1 Main St",
        "Address2=Building 2",
        "Address3=Floor 3",
        "City=Springfield",
        "State=IL",
        "Zip=62701",
        "Country=Canada",
        "Telephone=555-0100",
        "Fax=555-0101",
        "EMail=ann@example.com",
        "SerialNumber=MX-0042",
        "Dealer=Lab Supplies",
        "# leap day",
        "PurchaseDate=2024-02-29",
        "",
    };
    for (const char* ending : {"\r\n", "\n", "\r"}) {
        SCOPED_TRACE(testing::PrintToString(ending));
        std::string text = "\xEF\xBB\xBF";
        for (const std::string& line : lines) text += line + ending;
        RegistrationAnswers answers;
        std::string error;
        ASSERT_TRUE(ReadRegistrationAnswers(text, answers, error)) << error;
        EXPECT_EQ(answers.form.firstName, "Ann");
        EXPECT_EQ(answers.form.lastName, "Lee");
        EXPECT_EQ(answers.form.company, "Acme Labs, Inc.");
        EXPECT_EQ(answers.form.address1 + "|" + answers.form.address2 + "|" + answers.form.address3,
                  "1 Main St|Building 2|Floor 3");
        EXPECT_EQ(answers.form.city + "|" + answers.form.state + "|" + answers.form.zip + "|" +
                      answers.form.country,
                  "Springfield|IL|62701|Canada");
        EXPECT_EQ(answers.form.telephone + "|" + answers.form.fax + "|" + answers.form.email,
                  "555-0100|555-0101|ann@example.com");
        EXPECT_EQ(answers.form.serialNumber, "MX-0042");
        EXPECT_EQ(answers.form.dealer, "Lab Supplies");
        EXPECT_EQ(answers.purchaseYear * 10000 + answers.purchaseMonth * 100 + answers.purchaseDay,
                  20240229);
    }
}

TEST(RegistrationAnswersTest, ACompanyAloneWithoutLineEndKeepsTheDialogsDefaults) {
    RegistrationAnswers answers;
    std::string error;
    ASSERT_TRUE(ReadRegistrationAnswers("[registration]\nCompany=Acme", answers, error)) << error;
    EXPECT_EQ(answers.form.company, "Acme");
    EXPECT_EQ(answers.form.country, "USA");
    EXPECT_EQ(answers.purchaseYear, 0);
    EXPECT_EQ(answers.form.dealer, "");
}

struct Damaged {
    std::string text;
    const char* error;
};

TEST(RegistrationAnswersTest, DamagedFilesAreRefusedWholeWithTheirReason) {
    const std::string names = "FirstName=Ann\nLastName=Lee\n";
    const Damaged table[] = {
        {"", "The answer file has no [Registration] section."},
        {"; nothing\n\n", "The answer file has no [Registration] section."},
        {"FirstName=Ann\n[Registration]\n",
         "Line 1 of the answer file stands before the [Registration] section."},
        {"[Registration]\nFirstName=Ann\n",
         "The answer file gives neither a company nor a first and a last name."},
        {"[Registration]\nLastName=Lee\nCompany=\n",
         "The answer file gives neither a company nor a first and a last name."},
        {"[Setup]\n" + names,
         "Line 1 of the answer file opens [Setup]; only [Registration] is known."},
        {"[Registration\n" + names,
         "Line 1 of the answer file opens [Registration; only [Registration] is known."},
        {"[Registration]\n" + names + "[Registration]\n",
         "Line 4 of the answer file opens [Registration] a second time."},
        {"[Registration]\nFirstName Ann\n",
         "Line 2 of the answer file is not of the form Name=Value."},
        {"[Registration]\n" + names + "firstname=Bob\n",
         "Line 4 of the answer file gives firstname a second time."},
        {"[Registration]\n" + names + "Password=x\n",
         "Line 4 of the answer file names Password, which is not a registration field."},
        {"[Registration]\n = Ann\n", "Line 2 of the answer file is not of the form Name=Value."},
        {"[Registration]\nFirstName=A\0n\nLastName=Lee\n"s,
         "Line 2 of the answer file holds a control character."},
        {"[Registration]\nFirstName=Ann\x1b[2J\nLastName=Lee\n",
         "Line 2 of the answer file holds a control character."},
        {"[Registration]\n" + names + "City=" + std::string(256, 'x') + "\n",
         "Line 4 of the answer file gives a value longer than 255 characters."},
        {"[Registration]\n" + names + std::string(kMaxAnswerFileBytes, ';'),
         "The answer file is larger than 65536 bytes."},
    };
    for (const Damaged& row : table) {
        SCOPED_TRACE(row.text.substr(0, 60));
        RegistrationAnswers answers;
        answers.form.firstName = "untouched";
        std::string error;
        EXPECT_FALSE(ReadRegistrationAnswers(row.text, answers, error));
        EXPECT_EQ(error, row.error);
        EXPECT_EQ(answers.form.firstName, "untouched");
    }
}

TEST(RegistrationAnswersTest, OnlyRealPurchaseDaysInTheDialogsYearsAreTaken) {
    const char* refused[] = {"2023-02-29", "1900-02-29", "2026-04-31", "2026-13-01", "2026-00-10",
                             "1998-12-31", "2051-01-01", "26-12-08",   "2026/12/08", "2026-1-08",
                             "",           "2026-12-0x", "+026-12-08"};
    for (const char* date : refused) {
        SCOPED_TRACE(date);
        RegistrationAnswers answers;
        std::string error;
        EXPECT_FALSE(ReadRegistrationAnswers(
            std::string("[Registration]\nCompany=Acme\nPurchaseDate=") + date, answers, error));
        EXPECT_EQ(error,
                  "Line 3 of the answer file gives no purchase date of the form YYYY-MM-DD "
                  "between 1999 and 2050.");
    }
    for (const char* date : {"2000-02-29", "1999-01-01", "2050-12-31"}) {
        RegistrationAnswers answers;
        std::string error;
        EXPECT_TRUE(ReadRegistrationAnswers(
            std::string("[Registration]\nCompany=Acme\nPurchaseDate=") + date, answers, error))
            << date << ": " << error;
    }
}

}  // namespace
}  // namespace mivox
