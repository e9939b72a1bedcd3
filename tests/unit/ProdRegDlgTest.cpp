// The registration dialog on the in-memory backend: the showing, the close
// request with its name rule and methods, the form and the print, file and
// web methods.
#include "registration/ProdRegDlg.h"

#include <gtest/gtest.h>

#include "HttpTooLongDlgRes.h"
#include "MainDlgRes.h"
#include "ProdRegDlgRes.h"
#include "SendingFaxDlgRes.h"
#include "YesNoDlgRes.h"
#include "app/Forms.h"
#include "fakes/FakeDialog.h"
#include "fakes/FakePlatform.h"
#include "registry/RegStuff.h"

namespace mivox {
namespace {

using testing::FakeDialog;
using testing::FakeDialogFactory;
using testing::FakePlatform;

constexpr const char kFormPath[] = "C:\\Mivox\\REGISTER.TXT";

class ProdRegDlgTest : public ::testing::Test {
protected:
    ProdRegDlgTest() {
        fake.clock.now = {2026, 12, 1, 7, 13, 5, 0, 0};  // Monday 7 December 2026, 13:05
        fake.files.AddDirectory("C:\\Mivox");
        forms = std::make_unique<Forms>(factory, fake.platform);
        dlg = factory.Of(IDD_PRODREG);
        Dlg().ProdVersion = "4.10.0.10";
        Dlg().AppDir = "C:\\Mivox\\";
    }
    TProdRegDlg& Dlg() { return forms->ProdRegDlg(); }
    testing::FakeCheck& Check(int id) { return fake.desktop.CheckOf(*dlg, id); }
    testing::FakeDropDown& Drop(int id) { return fake.desktop.DropDownOf(*dlg, id); }
    void Choose(int method) {
        for (int id : {IDR_PRODREG_WEB, IDR_PRODREG_EMAIL, IDR_PRODREG_FAX, IDR_PRODREG_PRN,
                       IDR_PRODREG_FILE}) {
            Check(id).SetChecked(id == method);
        }
        dlg->Click(method);
    }
    void Source(bool dealer) {
        Check(IDR_PRODREG_VEXLOR).SetChecked(!dealer);
        Check(IDR_PRODREG_DEALER).SetChecked(dealer);
        dlg->Click(dealer ? IDR_PRODREG_DEALER : IDR_PRODREG_VEXLOR);
    }
    // Shows the dialog and lets act work in it as the user; false when the
    // dialog was still open when act had done.
    bool Run(const std::function<void(FakeDialog&)>& act) {
        bool closed = false;
        dlg->whileModal = [&](FakeDialog& d) {
            act(d);
            closed = !d.IsVisible();
            // Nobody else may close it: leave it as the user left it.
            if (!closed) d.SetResult(kIdNone);
        };
        Dlg().ShowModal();
        return closed;
    }
    std::string Form() {
        std::string text;
        return fake.files.ReadAll(kFormPath, text) ? text : "<none>";
    }
    std::string Reg(const std::string& name) {
        const auto* value = fake.registry.FindValue(kHkeyLocalMachine, kProductKey, name);
        return value ? value->data : "<none>";
    }
    std::vector<std::string> Captions() {
        std::vector<std::string> captions;
        for (const auto& box : fake.boxes.shown) captions.push_back(box.caption);
        return captions;
    }

    FakePlatform fake;
    FakeDialogFactory factory{&fake.loop, &fake.files};
    std::unique_ptr<Forms> forms;
    FakeDialog* dlg = nullptr;
};

// The 48 lines for the given customer part (lines 34-46) and purchase.
std::string ExpectedForm(const std::string& date, const std::string& from,
                         const std::vector<std::string>& customer, const std::string& serial) {
    const char* labels[] = {
        "     First Name: ", "      Last Name: ", "   Company Name: ", " Address Line 1: ",
        " Address Line 2: ", " Address Line 3: ", "           City: ", "          State: ",
        "       Zip Code: ", "        Country: ", "      Telephone: ", "      Faxsimile: ",
        "          EMail: "};
    std::string text =
        "===================================\r\n"
        "***  Product Registration Form  ***\r\n"
        "Created: Dec  7, 2026  Mon  1:05 pm\r\n"
        "===================================\r\n"
        " \r\nMail To:\r\nProduct Registration\r\n"
        "Vexlor Measurement Systems\r\n1200 Harbor Lane, Suite 4\r\nPort Alden, OR 97499 USA\r\n"
        " \r\nFax To: +1 541 555 0143\r\n \r\nTel To: +1 541 555 0142\r\n \r\n"
        "WWW To: www.vexlor.example\r\n(goto product registration page)\r\n \r\n"
        "EMail To: register@vexlor.example\r\n \r\n"
        "[Product Information]\r\n-----------------------------------\r\n"
        "   Product Name: Mivox\r\nProduct Version: 4.10.0.10\r\nProduct SerialN: " +
        serial +
        "\r\n\r\n"
        "[Purchase Information]\r\n-----------------------------------\r\n"
        " Purchased Data: " +
        date + "\r\n Purchased From: " + from +
        "\r\n \r\n"
        "[Customer Information]\r\n-----------------------------------\r\n";
    for (size_t i = 0; i < 13; ++i) text += labels[i] + customer[i] + "\r\n";
    return text + " \r\n===================================\r\n";
}

TEST_F(ProdRegDlgTest, CreationFillsTheListsAndShowingResetsTheEntries) {
    EXPECT_EQ(Drop(IDC_PRODREG_DAY).items.front(), " 1");
    EXPECT_EQ(Drop(IDC_PRODREG_DAY).items[9], "10");
    EXPECT_EQ(Drop(IDC_PRODREG_DAY).Count(), 31);
    EXPECT_EQ(Drop(IDC_PRODREG_MONTH).items.back(), "Dec");
    EXPECT_EQ(Drop(IDC_PRODREG_YEAR).items.front(), "1999");
    EXPECT_EQ(Drop(IDC_PRODREG_YEAR).items.back(), "2050");
    EXPECT_EQ(Drop(IDC_PRODREG_YEAR).Count(), 52);
    EXPECT_TRUE(Check(IDR_PRODREG_VEXLOR).IsChecked());
    EXPECT_TRUE(Check(IDR_PRODREG_WEB).IsChecked());
    EXPECT_FALSE(dlg->Control(IDE_PRODREG_DEALER).IsEnabled());
    for (int box = IDE_PRODREG_FIRSTNAME; box <= IDE_PRODREG_EMAIL; ++box) {
        EXPECT_FALSE(dlg->Control(box).typingLimited) << box;
    }
    for (int box :
         {IDE_PRODREG_PRODNAME, IDE_PRODREG_PRODVER, IDE_PRODREG_PRODSN, IDE_PRODREG_DEALER}) {
        EXPECT_FALSE(dlg->Control(box).typingLimited) << box;
    }

    Run([&](FakeDialog& d) {
        EXPECT_EQ(Drop(IDC_PRODREG_DAY).Text(), " 7");
        EXPECT_EQ(Drop(IDC_PRODREG_MONTH).Text(), "Dec");
        EXPECT_EQ(Drop(IDC_PRODREG_YEAR).Text(), "2026");
        EXPECT_EQ(d.Control(IDE_PRODREG_PRODNAME).Text(), "Mivox");
        EXPECT_EQ(d.Control(IDE_PRODREG_PRODVER).Text(), "4.10.0.10");
        EXPECT_EQ(d.Control(IDE_PRODREG_COUNTRY).Text(), "USA");
        d.Type(IDE_PRODREG_FIRSTNAME, "Ann");
        d.Type(IDE_PRODREG_DEALER, "Shop");
        d.Type(IDE_PRODREG_PRODSN, "42");
        Source(true);
        EXPECT_TRUE(d.Control(IDE_PRODREG_DEALER).IsEnabled());
        Choose(IDR_PRODREG_PRN);
    });
    // Shown again: the entries are empty, source and method stay as they were.
    fake.clock.now.year = 2051;
    Run([&](FakeDialog& d) {
        EXPECT_EQ(d.Control(IDE_PRODREG_FIRSTNAME).Text(), "");
        EXPECT_EQ(d.Control(IDE_PRODREG_DEALER).Text(), "");
        EXPECT_EQ(d.Control(IDE_PRODREG_PRODSN).Text(), "");
        EXPECT_TRUE(d.Control(IDE_PRODREG_DEALER).IsEnabled());
        EXPECT_TRUE(Check(IDR_PRODREG_DEALER).IsChecked());
        EXPECT_TRUE(Check(IDR_PRODREG_PRN).IsChecked());
        EXPECT_EQ(Drop(IDC_PRODREG_YEAR).Selected(), -1);
    });
}

TEST_F(ProdRegDlgTest, OnlyOkWithANameOrACompanyMayClose) {
    const bool closed = Run([&](FakeDialog& d) {
        Choose(IDR_PRODREG_FILE);
        d.CloseBox();
        EXPECT_TRUE(d.IsVisible());
        EXPECT_TRUE(fake.boxes.shown.empty());
        d.Type(IDE_PRODREG_FIRSTNAME, "Ann");
        d.Click(IDB_PRODREG_OK);
        EXPECT_TRUE(d.IsVisible());
        d.Type(IDE_PRODREG_FIRSTNAME, "");
        d.Type(IDE_PRODREG_LASTNAME, "Smith");
        d.Click(IDB_PRODREG_OK);
        d.Type(IDE_PRODREG_FIRSTNAME, " ");  // a blank counts as a name
        d.Click(IDB_PRODREG_OK);
    });
    EXPECT_TRUE(closed);
    ASSERT_EQ(fake.boxes.shown.size(), 3u);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(fake.boxes.shown[i].caption, "Registration Data Error");
        EXPECT_EQ(fake.boxes.shown[i].text, "First/Last Name or Company Name is blank");
        EXPECT_EQ(fake.boxes.shown[i].style, kMbOk | kMbIconExclamation);
    }
    EXPECT_EQ(fake.boxes.shown[2].caption, "Please remember to mail your registration.");
    EXPECT_EQ(fake.boxes.shown[2].text, "Thank You !");
    EXPECT_EQ(Reg("RegisterPerson"), std::string("  Smith\0", 8));
}

TEST_F(ProdRegDlgTest, FormByFileWithTheCompanyOnly) {
    fake.registry.SetString(kHkeyLocalMachine, kProductKey, "ProgramDir", "C:\\Mivox");
    const bool closed = Run([&](FakeDialog& d) {
        Choose(IDR_PRODREG_FILE);
        d.Type(IDE_PRODREG_COMPANY, "Acme Labs");
        d.Type(IDE_PRODREG_COUNTRY, "");
        d.Click(IDB_PRODREG_OK);
    });
    EXPECT_TRUE(closed);
    const std::vector<std::string> customer{"", "", "Acme Labs", "", "", "", "",
                                            "", "", "",          "", "", ""};
    EXPECT_EQ(Form(), ExpectedForm("Dec  7, 2026", "Vexlor", customer, ""));
    EXPECT_EQ(Dlg().RegFormLines.size(), 48u);
    EXPECT_EQ(Dlg().RegFormLines[25], "");
    EXPECT_EQ(Reg("RegisterPerson"), std::string(" \0", 2));
    EXPECT_EQ(Reg("RegisterCompany"), std::string("Acme Labs\0", 10));
    EXPECT_EQ(Reg("RegisterSerial"), std::string("\0", 1));
    EXPECT_EQ(Reg("ProgramDir"), std::string("C:\\Mivox\0", 9));
}

TEST_F(ProdRegDlgTest, PrintAnsweredNoFailsThenYesRebuildsTheFormAndRegisters) {
    FakeDialog* yesNo = factory.Of(IDD_YESNO);
    std::vector<std::string> questions;
    int answer = IDB_YESNO_NO;
    yesNo->whileModal = [&](FakeDialog& d) {
        questions.push_back(d.Control(IDT_YESNO_TOP).Text() + "|" +
                            d.Control(IDT_YESNO_BOT).Text());
        // The form is on disk while Notepad has it open.
        EXPECT_NE(Form(), "<none>");
        d.Click(answer);
    };
    const bool closed = Run([&](FakeDialog& d) {
        Choose(IDR_PRODREG_PRN);
        d.Type(IDE_PRODREG_FIRSTNAME, "Ann");
        d.Type(IDE_PRODREG_LASTNAME, "Smith");
        d.Type(IDE_PRODREG_TEL, "+1 541 555 0100");
        d.Type(IDE_PRODREG_PRODSN, "VX-0042");
        Drop(IDC_PRODREG_DAY).SetSelected(6);
        Drop(IDC_PRODREG_MONTH).SetSelected(0);
        Source(true);
        d.Click(IDB_PRODREG_OK);
        EXPECT_TRUE(d.IsVisible());
        EXPECT_EQ(Reg("RegisterPerson"), "<none>");
        answer = IDB_YESNO_YES;
        d.Type(IDE_PRODREG_FIRSTNAME, "Anne");
        d.Click(IDB_PRODREG_OK);
    });
    EXPECT_TRUE(closed);
    EXPECT_EQ(fake.desktop.programs,
              (std::vector<std::string>{"NOTEPAD.EXE C:\\Mivox\\REGISTER.TXT",
                                        "NOTEPAD.EXE C:\\Mivox\\REGISTER.TXT"}));
    ASSERT_EQ(questions.size(), 2u);
    EXPECT_EQ(questions[0],
              "Did the form print correctly ?|Click \"No\" to try a different method");
    EXPECT_EQ(Captions(), (std::vector<std::string>{
                              "Notepad will now load the Registration Form",
                              "Selected Method Failed",
                              "Notepad will now load the Registration Form",
                              "Please remember to mail your registration.",
                          }));
    EXPECT_EQ(fake.boxes.shown[0].text, "Select \"PRINT\" in Notepad, and then Exit NotePad");
    EXPECT_EQ(fake.boxes.shown[1].text, "Please choose another method");
    EXPECT_EQ(fake.boxes.shown[3].text, "Thank you!");
    // Rebuilt, not appended: one form with the second press's name.
    const std::vector<std::string> customer{"Anne", "Smith",           "", "", "", "", "", "", "",
                                            "USA",  "+1 541 555 0100", "", ""};
    EXPECT_EQ(Form(), ExpectedForm("Jan  7, 2026", "", customer, "VX-0042"));
    EXPECT_EQ(Dlg().RegFormLines.size(), 48u);
    EXPECT_EQ(Reg("RegisterPerson"), std::string("Anne Smith\0", 11));
    EXPECT_EQ(Reg("RegisterSerial"), std::string("VX-0042\0", 8));
}

TEST_F(ProdRegDlgTest, AYearOutsideTheListLeavesTheDateWithoutYear) {
    fake.clock.now.year = 2051;
    Run([&](FakeDialog& d) {
        Choose(IDR_PRODREG_FILE);
        d.Type(IDE_PRODREG_COMPANY, "Acme");
        d.Click(IDB_PRODREG_OK);
    });
    EXPECT_EQ(Dlg().RegFormLines[2], "Created: Dec  7, 2051  Mon  1:05 pm");
    EXPECT_EQ(Dlg().RegFormLines[28], " Purchased Data: Dec  7, ");
}

TEST_F(ProdRegDlgTest, FailedSendersAskForAnotherMethodAndNothingIsRecorded) {
    bool closed = Run([&](FakeDialog& d) {
        d.Type(IDE_PRODREG_COMPANY, "Acme");
        Choose(IDR_PRODREG_EMAIL);
        d.Click(IDB_PRODREG_OK);
        Choose(IDR_PRODREG_FAX);
        d.Click(IDB_PRODREG_OK);
        // No method at all keeps the dialog open without a word.
        Check(IDR_PRODREG_FAX).SetChecked(false);
        d.Click(IDB_PRODREG_OK);
    });
    EXPECT_FALSE(closed);
    // E-mail without mail settings reports its own failure first.
    EXPECT_EQ(Captions(),
              (std::vector<std::string>{"EMail Transaction Failed", "Selected Method Failed",
                                        "Selected Method Failed", "Selected Method Failed"}));
    EXPECT_EQ(forms->SendingEMailDlg().MsgLines, &Dlg().RegFormLines);
    EXPECT_EQ(forms->SendingEMailDlg().ToAddr, "register@vexlor.example");
    EXPECT_EQ(forms->SendingEMailDlg().MailSubject, "Product Registration");
    EXPECT_EQ(forms->SendingFaxDlg().FaxLines, &Dlg().RegFormLines);
    EXPECT_EQ(Reg("RegisterPerson"), "<none>");
    // The form of the last press stays, on disk and in the list.
    EXPECT_TRUE(
        Form().ends_with("          EMail: \r\n \r\n===================================\r\n"));
    EXPECT_EQ(Dlg().RegFormLines.size(), 48u);
}

TEST_F(ProdRegDlgTest, AFaxDeliveredRecordsTheRegistration) {
    fake.files.AddDirectory("C:\\TEMP");
    FakeDialog& fax = *factory.Of(IDD_SENDINGFAX);
    fax.whileModal = [&](FakeDialog& d) {
        forms->SendingFaxDlg().TapiDevice().Choose("COM1");
        d.Click(IDB_SENDINGFAX_START);
        forms->SendingFaxDlg().SendFax().WaitForEnd();
        fake.uiThread.RunAll();
    };
    const bool closed = Run([&](FakeDialog& d) {
        d.Type(IDE_PRODREG_FIRSTNAME, "Anne");
        d.Type(IDE_PRODREG_LASTNAME, "Smith");
        Choose(IDR_PRODREG_FAX);
        d.Click(IDB_PRODREG_OK);
    });
    EXPECT_TRUE(closed);
    EXPECT_TRUE(fake.boxes.shown.empty());
    EXPECT_EQ(forms->SendingFaxDlg().FaxLines, &Dlg().RegFormLines);
    EXPECT_EQ(fake.faxModem.pages.size(), 1u) << "the 48 lines make one page";
    EXPECT_EQ(Reg("RegisterPerson"), std::string("Anne Smith\0", 11));
}

TEST_F(ProdRegDlgTest, AFormThatCannotBeWrittenKeepsTheDialogOpenAndRunsNoMethod) {
    fake.files.FailOn(testing::MemoryFileSystem::Op::Write, kFormPath, 5);
    const bool closed = Run([&](FakeDialog& d) {
        Choose(IDR_PRODREG_FILE);
        d.Type(IDE_PRODREG_COMPANY, "Acme");
        d.Click(IDB_PRODREG_OK);
    });
    EXPECT_FALSE(closed);
    ASSERT_EQ(fake.boxes.shown.size(), 1u);
    EXPECT_EQ(fake.boxes.shown[0].caption, "Setup.exe");
    EXPECT_NE(fake.boxes.shown[0].text.find("REGISTER.TXT"), std::string::npos);
    EXPECT_EQ(Reg("RegisterCompany"), "<none>");
}

TEST_F(ProdRegDlgTest, WebOpensTheDirectUrlAndWaitsSixSeconds) {
    fake.clock.ticks = 1000;
    const bool closed = Run([&](FakeDialog& d) {
        d.Type(IDE_PRODREG_COMPANY, "Acme Audio Labs");
        d.Click(IDB_PRODREG_OK);
    });
    EXPECT_TRUE(closed);
    ASSERT_EQ(fake.desktop.urls.size(), 1u);
    EXPECT_EQ(fake.desktop.urls[0],
              "http://www.vexlor.example/cgi-bin/tp_rg.pl?mlto=webreg@vexlor.example&a=&b="
              "&c=Acme+Audio+Labs&d=&e=&f=&g=&h=&i=&j=USA&k=&l=&m=&n=Mivox&o=4.10.0.10&p="
              "&q=Dec++7+2026&r=VXLR");
    EXPECT_EQ(fake.desktop.owners[0], factory.Of(IDD_MAIN));
    EXPECT_EQ(fake.desktop.sleeps, std::vector<uint32_t>{6000});
    EXPECT_EQ(fake.loop.pumps, 1);
    EXPECT_TRUE(fake.boxes.beeps.empty());
    EXPECT_EQ(Reg("RegisterCompany"), std::string("Acme Audio Labs\0", 16));
}

TEST_F(ProdRegDlgTest, ALongRegistrationGoesThroughTheNoticeToTheFormFillScript) {
    FakeDialog* notice = factory.Of(IDD_HTTPTOOLONG);
    int noticeShown = 0;
    notice->whileModal = [&](FakeDialog& d) {
        ++noticeShown;
        EXPECT_TRUE(fake.desktop.urls.empty());
        d.CloseBox();  // the close box instead of Ok: the same path
    };
    Run([&](FakeDialog& d) {
        d.Type(IDE_PRODREG_COMPANY, std::string(300, 'c'));
        d.Click(IDB_PRODREG_OK);
    });
    EXPECT_EQ(noticeShown, 1);
    EXPECT_EQ(fake.boxes.beeps, std::vector<unsigned>{0});
    EXPECT_EQ(notice->Control(IDE_HTTPTOOLONG_MESSAGE).Text(), THttpTooLongDlg::kNotice);
    EXPECT_EQ(notice->Control(IDE_HTTPTOOLONG_MESSAGE).textColour, kColourMaroon);
    ASSERT_EQ(fake.desktop.urls.size(), 1u);
    EXPECT_TRUE(
        fake.desktop.urls[0].starts_with("http://www.vexlor.example/cgi-bin/reg.pl?a=&b=&c=ccc"));
}

TEST_F(ProdRegDlgTest, TheWaitSurvivesTheTickCountWrappingRound) {
    fake.clock.ticks = 0xFFFFF000u;
    Dlg().WaitMs(6000);
    EXPECT_EQ(fake.desktop.sleeps, std::vector<uint32_t>{6000});
}

}  // namespace
}  // namespace mivox
