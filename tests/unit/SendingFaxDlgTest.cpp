// The fax sender and the choice of modem on the in-memory backend, with a
// scripted Class 1 modem behind the port: the showing, the device button,
// Start with its failures, the status figures, and the end of a fax.
#include "registration/SendingFaxDlg.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "DeviceSelectionDlgRes.h"
#include "SendingFaxDlgRes.h"
#include "app/Forms.h"
#include "fakes/FakeDialog.h"
#include "fakes/FakePlatform.h"

namespace mivox {
namespace {

using testing::FakeDialog;
using testing::FakeDialogFactory;
using testing::FakePlatform;

constexpr const char kTextPath[] = "C:\\TEMP\\Register.Txt";
constexpr const char kImagePath[] = "C:\\TEMP\\Register.Apf";

class SendingFaxDlgTest : public ::testing::Test {
protected:
    SendingFaxDlgTest() {
        fake.files.AddDirectory("C:\\TEMP");
        forms = std::make_unique<Forms>(factory, fake.platform);
        dlg = factory.Of(IDD_SENDINGFAX);
        devices = factory.Of(IDD_DEVICESELECTION);
        for (int i = 1; i <= 61; ++i) lines.push_back(i == 2 ? "" : "Line " + std::to_string(i));
        Fax().FaxLines = &lines;
    }
    TSendingFaxDlg& Fax() { return forms->SendingFaxDlg(); }
    testing::FakeControl& Field(int id) { return dlg->Control(id); }
    testing::FakeDropDown& DeviceList() {
        return fake.desktop.DropDownOf(*devices, IDC_DEVICESELECTION_DEVICES);
    }
    // Shows the dialog with act as the user; true when it closed itself.
    bool Run(const std::function<void(FakeDialog&)>& act) {
        bool closed = false;
        dlg->whileModal = [&](FakeDialog& d) {
            act(d);
            closed = !d.IsVisible();
        };
        Fax().ShowModal();
        return closed;
    }
    // The device button, and in the selection `device` picked by Ok or
    // Cancel; returns the entries offered.
    std::vector<std::string> PickDevice(const std::string& device, int button) {
        std::vector<std::string> offered;
        devices->whileModal = [&](FakeDialog& d) {
            offered = DeviceList().items;
            for (int i = 0; i < DeviceList().Count(); ++i)
                if (DeviceList().items[i] == device) DeviceList().SetSelected(i);
            d.Click(button);
        };
        dlg->Click(IDB_SENDINGFAX_DEV);
        return offered;
    }
    // Start, then the transmission to its end, its events run one by one.
    void StartAndFinish() {
        dlg->Click(IDB_SENDINGFAX_START);
        Fax().SendFax().WaitForEnd();
        while (fake.uiThread.RunOne())
            if (dlg->IsVisible()) messages.push_back(Field(IDT_SENDINGFAX_MSG).Text());
    }
    std::string Dialled() const {
        for (const std::string& command : fake.faxModem.commands)
            if (command.rfind("ATD", 0) == 0) return command;
        return "";
    }
    std::vector<std::string> Captions() const {
        std::vector<std::string> captions;
        for (const auto& box : fake.boxes.shown) captions.push_back(box.caption + ": " + box.text);
        return captions;
    }
    bool ButtonsEnabled() {
        return Field(IDB_SENDINGFAX_START).IsEnabled() && Field(IDB_SENDINGFAX_DEV).IsEnabled();
    }

    FakePlatform fake;
    FakeDialogFactory factory{&fake.loop, &fake.files};
    std::unique_ptr<Forms> forms;
    FakeDialog* dlg = nullptr;
    FakeDialog* devices = nullptr;
    std::vector<std::string> lines;
    std::vector<std::string> messages;  // the status line after each event
};

TEST_F(SendingFaxDlgTest, EachShowingStartsReadyWithTheMakersNumberAndAnEmptyStatus) {
    EXPECT_EQ(Fax().FaxTextPath, kTextPath);
    EXPECT_EQ(Fax().FaxImagePath, kImagePath);
    Run([&](FakeDialog& d) {
        d.Type(IDE_SENDINGFAX_PREFIX, "9,");
        d.Type(IDE_SENDINGFAX_NUMBER, "555");
        Field(IDT_SENDINGFAX_MSG).SetText("left over");
        d.Progress(IDP_SENDINGFAX_DONE).SetPosition(40);
    });
    Run([&](FakeDialog& d) {
        EXPECT_EQ(d.Caption(), "");  // the template's own
        EXPECT_TRUE(ButtonsEnabled());
        EXPECT_EQ(Field(IDE_SENDINGFAX_PREFIX).Text(), "");
        EXPECT_EQ(Field(IDE_SENDINGFAX_NUMBER).Text(), "1-541-555-0143");
        EXPECT_EQ(Field(IDT_SENDINGFAX_DEV).Text(), "Sportster 28800-33600 External");
        for (int id :
             {IDT_SENDINGFAX_PAGES, IDT_SENDINGFAX_ATTEMPT, IDT_SENDINGFAX_BAUD, IDT_SENDINGFAX_ID,
              IDT_SENDINGFAX_BYTES, IDT_SENDINGFAX_TIME, IDT_SENDINGFAX_MSG})
            EXPECT_EQ(Field(id).Text(), "") << id;
        EXPECT_EQ(d.Progress(IDP_SENDINGFAX_DONE).Position(), 0);
    });
    EXPECT_FALSE(Fax().FaxSent);
}

TEST_F(SendingFaxDlgTest, TheDeviceChosenIsShownAndCancelKeepsThePreviousOne) {
    Run([&](FakeDialog&) {
        // No modem installed: the ports are offered, the first one selected.
        EXPECT_EQ(PickDevice("COM2", IDB_DEVICESELECTION_OK),
                  (std::vector<std::string>{"COM1", "COM2"}));
        EXPECT_EQ(Field(IDT_SENDINGFAX_DEV).Text(), "COM2");
        EXPECT_EQ(Fax().TapiDevice().SelectedDevice, "COM2");
        PickDevice("COM1", IDB_DEVICESELECTION_CANCEL);
        EXPECT_EQ(Field(IDT_SENDINGFAX_DEV).Text(), "COM2");
        // Reopened, the list shows the current device selected; the close
        // box is a Cancel too.
        devices->whileModal = [&](FakeDialog& d) {
            EXPECT_EQ(DeviceList().Text(), "COM2");
            DeviceList().SetSelected(0);
            d.CloseBox();
        };
        dlg->Click(IDB_SENDINGFAX_DEV);
        EXPECT_EQ(Field(IDT_SENDINGFAX_DEV).Text(), "COM2");
    });
}

TEST_F(SendingFaxDlgTest, ABusyLineThenADeliveredFaxClosesTheDialogWithFaxSentAndTheFilesGoLast) {
    fake.faxModem.dialResult = "BUSY";
    const bool closed = Run([&](FakeDialog& d) {
        PickDevice("COM1", IDB_DEVICESELECTION_OK);
        StartAndFinish();
        EXPECT_EQ(Captions(),
                  std::vector<std::string>{"Fax Transmission Error: " + FaxErrorText(ecBusy)});
        EXPECT_TRUE(d.IsVisible());
        EXPECT_TRUE(ButtonsEnabled());
        EXPECT_FALSE(fake.faxModem.IsOpen()) << "the line is released";
        EXPECT_EQ(Field(IDT_SENDINGFAX_MSG).Text(), "") << "the status is cleared";
        EXPECT_FALSE(Fax().FaxSent);

        fake.faxModem.dialResult = "CONNECT";
        fake.faxModem.commands.clear();
        messages.clear();
        d.Type(IDE_SENDINGFAX_PREFIX, "9,");
        StartAndFinish();
    });
    EXPECT_TRUE(closed);
    EXPECT_TRUE(Fax().FaxSent);
    EXPECT_EQ(fake.boxes.shown.size(), 1u);
    EXPECT_FALSE(fake.faxModem.IsOpen());
    EXPECT_EQ(Dialled(), "ATDT9,1-541-555-0143");
    // The status went through the call while it lasted.
    for (int progress : {fpDialing, fpConnected, fpSendPage, fpPageAccepted})
        EXPECT_NE(std::find(messages.begin(), messages.end(), FaxStatusText(progress)),
                  messages.end())
            << FaxStatusText(progress);
    // Each line ten blanks in; the 61 lines make two pages, both delivered.
    std::string text;
    ASSERT_TRUE(fake.files.ReadAll(kTextPath, text));
    EXPECT_TRUE(text.starts_with("          Line 1\r\n          \r\n          Line 3\r\n"));
    EXPECT_TRUE(text.ends_with("          Line 61\r\n"));
    EXPECT_EQ(fake.faxModem.pages.size(), 2u);
    EXPECT_EQ(fake.faxModem.openedSettings.bufferFull, 7372u);
    EXPECT_TRUE(fake.faxModem.openedSettings.requireCts);
    // The temporary files stay until the dialog goes, and go with it.
    EXPECT_TRUE(fake.files.FileExists(kImagePath));
    fake.files.AddFile("C:\\TEMP\\Other.Txt");
    forms.reset();
    EXPECT_FALSE(fake.files.FileExists(kTextPath));
    EXPECT_FALSE(fake.files.FileExists(kImagePath));
    EXPECT_TRUE(fake.files.FileExists("C:\\TEMP\\Other.Txt"));
}

// Closing the program while a fax goes to a modem that takes no more data:
// the dialog does not wait for the call to end by itself.
TEST_F(SendingFaxDlgTest, TheProgramClosesWithinSecondsWhateverTheModemDoes) {
    fake.faxModem.onCommand = [&](const std::string& command) {
        if (command == "AT+FTM=146") fake.faxModem.writesBlock = true;
    };
    std::atomic<bool> interrupted{false};
    fake.faxModem.onInterrupt = [&] { interrupted = true; };
    Run([&](FakeDialog&) {
        PickDevice("COM1", IDB_DEVICESELECTION_OK);
        dlg->Click(IDB_SENDINGFAX_START);
        for (int i = 0; i < 5000 && !fake.faxModem.writesBlock; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    });
    ASSERT_TRUE(fake.faxModem.writesBlock) << "the page had started";
    const auto start = std::chrono::steady_clock::now();
    forms.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(6));
    EXPECT_TRUE(interrupted) << "the port's transfer was interrupted";
    EXPECT_FALSE(fake.files.FileExists(kImagePath));
}

TEST_F(SendingFaxDlgTest, ThePrefixDialledIsAtMostFortyCharactersBeforeTheNumber) {
    const std::string long45(45, '8');
    const struct {
        std::string prefix, number, dialled;
    } cases[] = {
        {"", "1-541-555-0143", "ATDT1-541-555-0143"},
        {"9,", "0049-30-1234567", "ATDT9,0049-30-1234567"},
        {long45, "555", "ATDT" + long45.substr(0, 40) + "555"},
    };
    for (const auto& c : cases) {
        fake.faxModem.commands.clear();
        Run([&](FakeDialog& d) {
            PickDevice("COM1", IDB_DEVICESELECTION_OK);
            d.Type(IDE_SENDINGFAX_PREFIX, c.prefix);
            d.Type(IDE_SENDINGFAX_NUMBER, c.number);
            StartAndFinish();
        });
        EXPECT_EQ(Dialled(), c.dialled) << c.prefix;
        EXPECT_TRUE(Fax().FaxSent);
    }
}

TEST_F(SendingFaxDlgTest, AStartThatCannotBeginSaysWhyAndLetsTheUserTryAgain) {
    const struct {
        const char* what;
        std::function<void()> fault;
        std::string error;
    } cases[] = {
        {"no device", [&] { Fax().TapiDevice().SelectedDevice.clear(); }, ""},
        {"modem not installed", [] {},
         "The modem \"Sportster 28800-33600 External\" is not installed on this computer, or its "
         "serial port is unknown."},
        {"text file not writable",
         [&] { fake.files.FailOn(testing::MemoryFileSystem::Op::CreateIn, "C:\\TEMP", 5); },
         "Cannot create C:\\TEMP\\Register.Txt (error 5)"},
        {"conversion failed",
         [&] { fake.files.FailOn(testing::MemoryFileSystem::Op::Read, kTextPath, 5); }, ""},
        {"port busy", [&] { fake.faxModem.openError = PortError::kBusy; },
         "The serial port COM1 is in use by another program. Close that program and try again."},
    };
    for (const auto& c : cases) {
        fake.boxes.shown.clear();
        fake.files.ClearFailures();
        fake.faxModem.openError = PortError::kNone;
        Fax().TapiDevice().Choose("Sportster 28800-33600 External");
        const bool closed = Run([&](FakeDialog&) {
            if (std::string(c.what) != "modem not installed")
                PickDevice("COM1", IDB_DEVICESELECTION_OK);
            c.fault();
            dlg->Click(IDB_SENDINGFAX_START);
            EXPECT_TRUE(ButtonsEnabled()) << c.what;
            EXPECT_FALSE(fake.faxModem.IsOpen()) << c.what;
            EXPECT_FALSE(Fax().SendFax().Sending()) << c.what;
        });
        EXPECT_FALSE(closed) << c.what;
        EXPECT_FALSE(Fax().FaxSent) << c.what;
        if (std::string(c.what) == "no device") {
            EXPECT_EQ(Captions(),
                      std::vector<std::string>{
                          "Error No Fax Device Found and/or Selected: Cannot Send Fax"});
            continue;
        }
        // The application's error box tells why, and so does the dialog.
        ASSERT_EQ(fake.boxes.shown.size(), 1u) << c.what;
        const auto& box = fake.boxes.shown[0];
        EXPECT_EQ(box.caption, "Setup.exe") << c.what;
        EXPECT_FALSE(box.text.empty()) << c.what;
        if (!c.error.empty()) {
            EXPECT_EQ(box.text, c.error) << c.what;
        }
        EXPECT_EQ(Field(IDT_SENDINGFAX_MSG).Text(), box.text) << c.what;
    }
    // Put right, the same dialog sends.
    fake.files.ClearFailures();
    fake.faxModem.openError = PortError::kNone;
    Run([&](FakeDialog&) {
        PickDevice("COM1", IDB_DEVICESELECTION_OK);
        StartAndFinish();
    });
    EXPECT_TRUE(Fax().FaxSent);
}

TEST_F(SendingFaxDlgTest, ClosingDuringTheFaxLeavesItRunningAndAShowingMeanwhileWaitsForIt) {
    const bool closed = Run([&](FakeDialog& d) {
        PickDevice("COM1", IDB_DEVICESELECTION_OK);
        d.Click(IDB_SENDINGFAX_START);
        EXPECT_FALSE(ButtonsEnabled());
        d.CloseBox();
    });
    EXPECT_TRUE(closed);
    EXPECT_FALSE(Fax().FaxSent) << "the value at the moment of closing";
    EXPECT_EQ(dlg->Result(), kIdCancel);
    // Shown again before the fax has ended: no second start on the busy port.
    Run([&](FakeDialog&) {
        EXPECT_FALSE(ButtonsEnabled());
        Fax().SendFax().WaitForEnd();
        fake.uiThread.RunAll();
    });
    EXPECT_TRUE(Fax().FaxSent) << "its end closed the new showing";
    EXPECT_FALSE(dlg->IsVisible());
    EXPECT_FALSE(fake.faxModem.IsOpen());
    EXPECT_EQ(fake.faxModem.pages.size(), 2u);
}

TEST(FaxStatusFields, FiguresRoundedAsShown) {
    const struct {
        uint32_t bytes, length, elapsedMs;
        int progress;
        int done;
        std::string time, msg;
    } cases[] = {
        {0, 0, 0, 0, 0, "0", ""},                      // before the first page
        {500, 0, 499, 3, 0, "0", FaxStatusText(3)},    // no page length: no bar
        {1, 3, 1500, 11, 33, "2", FaxStatusText(11)},  // half a second rounds up
        {2, 3, 1499, 11, 67, "1", FaxStatusText(11)},
        {1, 200, 60000, 12, 1, "60", FaxStatusText(12)},  // half a per cent rounds up
        {300, 200, 0, 44, 100, "0", ""},                  // past the page; no such code
        {4000000000u, 4000000000u, 0, -1, 100, "0", ""},
    };
    for (const auto& c : cases) {
        FaxFigures figures;
        figures.page = 2;
        figures.attempt = 1;
        figures.bitsPerSecond = 9600;
        figures.remoteId = "+49 30 1234567";
        figures.bytesSent = c.bytes;
        figures.pageLength = c.length;
        figures.progress = c.progress;
        const FaxStatusFields fields = StatusFields(figures, c.elapsedMs);
        EXPECT_EQ(fields.done, c.done) << c.bytes << "/" << c.length;
        EXPECT_EQ(fields.time, c.time) << c.elapsedMs;
        EXPECT_EQ(fields.msg, c.msg) << c.progress;
        EXPECT_EQ(fields.pages + " " + fields.attempt + " " + fields.baud + " " + fields.id + " " +
                      fields.bytes,
                  "2 1 9600 +49 30 1234567 " + std::to_string(c.bytes));
    }
    EXPECT_NE(FaxStatusText(11), "") << "the codes in use have texts";
}

}  // namespace
}  // namespace mivox
