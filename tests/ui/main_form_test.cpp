// The main window driven through its menus: captions, status bar, first
// activation, settings, Clear Machine questions, New System.
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "MainFormStarter.h"
#include "UiTestSupport.h"
#include "io/QtSettingsStore.h"
#include "support/MemorySettingsStore.h"
#include "support/ScriptedGateway.h"
#include "ui/machine/TMachineForm.h"
#include "ui/main/TMainForm.h"
#include "ui/program/TProgramForm.h"

using namespace vorel;

class MainFormTest : public QObject {
  Q_OBJECT

  // A main window with its settings in memory, shown and past its first activation.
  test::MainUnderTest Started(const QStringList& arguments,
                              std::shared_ptr<test::MemorySettingsStore> store) {
    test::TestUi().SetSettingsStore([store] { return std::make_unique<ForwardingStore>(store); });
    return test::StartedMain(arguments);
  }

  // Lets each factory call hand out the same shared memory store.
  class ForwardingStore : public SettingsStore {
   public:
    explicit ForwardingStore(std::shared_ptr<test::MemorySettingsStore> s) : s_(std::move(s)) {}
    Result ReadInteger(const std::string& n, int32_t& v) override { return s_->ReadInteger(n, v); }
    Result ReadString(const std::string& n, std::string& v) override {
      return s_->ReadString(n, v);
    }
    bool WriteInteger(const std::string& n, int32_t v) override { return s_->WriteInteger(n, v); }
    bool WriteString(const std::string& n, const std::string& v) override {
      return s_->WriteString(n, v);
    }

   private:
    std::shared_ptr<test::MemorySettingsStore> s_;
  };

  // The captions in order; a separator shows as "-".
  static QStringList MenuCaptions(QMenu* menu) {
    QStringList captions;
    for (QAction* action : menu->actions())
      captions << (action->isSeparator() ? "-" : action->text());
    return captions;
  }

 private slots:
  // Every test starts with an empty settings store of its own.
  void cleanup() {
    test::TestUi().SetSettingsStore([] { return std::make_unique<test::MemorySettingsStore>(); });
  }

  // The same file through "Load System..." and "Save System..." and through
  // vorelctl convert gives the same bytes, though the window had another system
  // open before, with "Allow no program" set and both logs filled.
  void guiAndVorelctlLoadAFileAlike() {
    QTemporaryDir folder;
    QFile golden(QString(VOREL_TEST_DATA) + "/golden_small.xml");
    QVERIFY(golden.open(QIODevice::ReadOnly));
    QByteArray first = golden.readAll();
    first.replace("<AllowNoProgram>False</AllowNoProgram>",
                  "<AllowNoProgram>True</AllowNoProgram>");
    const QString firstName = folder.filePath("first.xml");
    const QString lackingName = folder.filePath("lacking.xml");
    for (const auto& [name, bytes] :
         {std::pair{firstName, first},
          std::pair{lackingName, QByteArray("<?xml version=\"1.0\"?>\r\n<TL4200system>\r\n"
                                            "  <MainSetup><SystemName>Second</SystemName>"
                                            "</MainSetup>\r\n</TL4200system>\r\n")}}) {
      QFile file(name);
      QVERIFY(file.open(QIODevice::WriteOnly));
      file.write(bytes);
    }

    auto form = Started({}, std::make_shared<test::MemorySettingsStore>());
    test::ScriptedDialogs dialogs;
    const QString guiName = folder.filePath("gui.xml");
    dialogs.fileNames = {firstName, lackingName, guiName};
    form->LoadSystemBtnClick();
    QVERIFY(form->Configuration().MachineData[0].AllowNoProgram);
    form->LoadSystemBtnClick();
    QVERIFY(form->SaveSystemBtnClick());
    QVERIFY(dialogs.asked.isEmpty());

    const QString toolName = folder.filePath("tool.xml");
    QCOMPARE(QProcess::execute(VORELCTL_PATH, {"convert", lackingName, toolName}), 0);
    QFile gui(guiName);
    QFile tool(toolName);
    QVERIFY(gui.open(QIODevice::ReadOnly) && tool.open(QIODevice::ReadOnly));
    const QByteArray saved = gui.readAll();
    QCOMPARE(saved, tool.readAll());
    QVERIFY(saved.contains("<AllowNoProgram>False</AllowNoProgram>"));
  }

  // "Open with": a file on the command line loads after the first activation, the
  // access words in any position.
  void fileOnTheCommandLineLoadsAtStart() {
    QTemporaryDir folder;
    const QString name = folder.filePath("site.xml");
    QFile file(name);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(
        "<TL4200system><MainSetup><SystemName>Laundry</SystemName></MainSetup>"
        "<MachineData><Machine1><ProgramTimeout>300</ProgramTimeout></Machine1>"
        "</MachineData></TL4200system>");
    file.close();
    test::ScriptedDialogs dialogs;
    auto form =
        Started({"RB316entry", name, "ChiefAccess"}, std::make_shared<test::MemorySettingsStore>());
    QCOMPARE(form->Configuration().MainSetup.SystemName, std::string("Laundry"));
    QVERIFY(form->SetupFlag() && form->MasterFlag());
    QCOMPARE(form->LastSystemFileName(), name);
    QCOMPARE(dialogs.asked.size(), 1);  // the value warning, as Load shows it
    QVERIFY(dialogs.asked.last().text.contains("ProgramTimeout"));
  }

  void menusHaveTheirCaptions() {
    auto form = Started({}, std::make_shared<test::MemorySettingsStore>());
    QStringList bar;
    for (QAction* action : form->menuBar()->actions()) {
      // Alt and the first letter opens each.
      QCOMPARE(QKeySequence::mnemonic(action->text()),
               QKeySequence(Qt::ALT | QKeySequence(action->text().at(1))[0].key()));
      bar << action->text().remove('&');
    }
    QCOMPARE(bar, QStringList({"File", "System", "Machine 1...", "Machine 2...", "Machine 3...",
                               "Machine 4...", "Machine 5...", "Machine 6...", "Machine 7...",
                               "Machine 8...", "Machine 9...", "Machine 10...", "Help"}));
    QCOMPARE(
        MenuCaptions(form->findChild<QMenu*>("FileMenu")),
        QStringList({"Login...", "New System...", "Load System...", "Save System...", "Backups...",
                     "Firmware update, TL4200...", "Firmware update, Trigger...", "Exit"}));
    QCOMPARE(MenuCaptions(form->findChild<QMenu*>("SystemMenu")),
             QStringList({"Read/write system data...", "System setup...", "Overview...",
                          "Communication...", "Log data...", "Alarm log...", "Copy Machine...",
                          "Clear Machine"}));
    QCOMPARE(MenuCaptions(form->findChild<QMenu*>("ClearMachineMenu")).last(), QString("All"));
    test::SaveScreenshot(form.get(), "main_form");
  }

  void captionAndStatusBarAfterStart() {
    auto form = Started({}, std::make_shared<test::MemorySettingsStore>());
    QCOMPARE(form->windowTitle(), QString("Vorel, Version: 3.21, Miele pulse"));
    for (int i = 0; i < 4; ++i) QVERIFY(form->StatusPanel(i)->text().isEmpty());
    QCOMPARE(form->StatusPanel(0)->width(), 100);
    QCOMPARE(form->StatusPanel(1)->width(), 150);
    auto setup =
        Started({"ChiefAccess", "RB316entry"}, std::make_shared<test::MemorySettingsStore>());
    QCOMPARE(setup->windowTitle(), QString("Vorel, Version: 3.21, Miele pulse,  TL4200 setup"));
    QVERIFY(setup->SetupFlag());
    QVERIFY(setup->MasterFlag());
    test::ScriptedDialogs mistyped;
    auto lower = Started({"rb316entry"}, std::make_shared<test::MemorySettingsStore>());
    QVERIFY(!lower->SetupFlag());
    // Taken for a file, which does not exist: the message names the two words.
    QTRY_COMPARE_WITH_TIMEOUT(mistyped.asked.size(), 1, 2000);
    QVERIFY(mistyped.asked[0].text.startsWith("Could not load the system file rb316entry"));
    QVERIFY(mistyped.asked[0].text.endsWith(
        "The access words are RB316entry and ChiefAccess, written exactly so (capitals and small "
        "letters as here)."));

    // The remote system's name comes in Windows-1252, as the remote group shows it.
    test::ScriptedGateway gateway;
    auto remote = Started({}, std::make_shared<test::MemorySettingsStore>());
    gateway.LogIn(remote.CurrentSession(), 'A',
                  "W\xE4scherei S\xFC"
                  "d");
    QCOMPARE(remote->windowTitle(),
             QString::fromUtf8("Vorel, Version: 3.21, Miele pulse        System: W\u00E4scherei "
                               "S\u00FCd (7)."));
  }

  void firstActivationRunsOnce() {
    auto store = std::make_shared<test::MemorySettingsStore>();
    auto form = Started({}, store);
    QVERIFY(form->FirstActivationDone());
    form->CurrentSession().EditConfiguration(
        [&](SystemConfiguration& c) { c.MainSetup.SystemName = "Kept"; });
    form->activateWindow();
    QEvent activation(QEvent::ActivationChange);
    QCoreApplication::sendEvent(form.get(), &activation);
    QCoreApplication::processEvents();
    QCOMPARE(form->Configuration().MainSetup.SystemName, std::string("Kept"));
  }

  void settingsRestoredAndStored() {
    auto store = std::make_shared<test::MemorySettingsStore>();
    store->values = {{"Width", 500},
                     {"Height", 20},
                     {"LastSystemFileName", std::string("/x/a.xml")},
                     {"ComPort", std::string("COM4")},
                     {"GatewayServer", std::string(" gw ")}};
    auto form = Started({}, store);
    QCOMPARE(form->width(), 800);
    QCOMPARE(form->height(), 50);
    QCOMPARE(form->LastSystemFileName(), QString("/x/a.xml"));
    QCOMPARE(form->Settings().gatewayServer, std::string("gw"));
    store->written.clear();
    form->close();
    QCOMPARE(store->written.front(), std::string("LastSystemFileName"));
    QCOMPARE(std::get<std::string>(store->values["ComPort"]), std::string("COM4"));
    QCOMPARE(std::get<int32_t>(store->values["Width"]), 800);
  }

  void settingsThroughTheNativeStore() {
    QTemporaryDir folder;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder.path());
    {
      QtSettingsStore store;
      QVERIFY(store.WriteString("LastSystemFileName", "/data/hotel.xml"));
      QVERIFY(store.WriteInteger("CommLocal", 1));
      QVERIFY(store.WriteInteger("Width", 1024));
    }
    QtSettingsStore store;
    OperatorSettings settings;
    settings.width = 937;
    RestoreSettings(store, settings);
    QCOMPARE(settings.lastSystemFileName, std::string("/data/hotel.xml"));
    QVERIFY(settings.commLocal);
    QCOMPARE(settings.width, 1024);
    QVERIFY(QFile::exists(folder.path() + "/Vantrell/VOREL.conf"));
  }

  void clearMachineAsksFirst() {
    auto form = Started({}, std::make_shared<test::MemorySettingsStore>());
    test::ScriptedDialogs dialogs;
    form->CurrentSession().EditConfiguration([](SystemConfiguration& config) {
      config.MachineData[2].Comment = "three";
      config.MachineData[2].AllowNoProgram = true;
      config.MachineData[4].Comment = "five";
    });
    const auto& machines = form->Configuration().MachineData;

    dialogs.answers = {kMsgNo};
    form->findChild<QAction*>("ClearMachine3Btn")->trigger();
    QCOMPARE(dialogs.asked.last().text, QString("Clear all data for Machine 3\n\nAre you sure?"));
    QCOMPARE(dialogs.asked.last().buttons, unsigned(kMsgYes | kMsgNo));
    QCOMPARE(machines[2].Comment, std::string("three"));

    dialogs.answers = {kMsgYes};
    form->findChild<QAction*>("ClearMachine3Btn")->trigger();
    QCOMPARE(machines[2].Comment, std::string());
    QVERIFY(machines[2].AllowNoProgram);
    QCOMPARE(machines[4].Comment, std::string("five"));

    dialogs.answers = {kMsgNo};
    form->findChild<QAction*>("ClearMachine11Btn")->trigger();
    QCOMPARE(dialogs.asked.last().text,
             QString("Clear all data for all Machines\n\nAre you sure?"));
    QCOMPARE(machines[4].Comment, std::string("five"));
    dialogs.answers = {kMsgYes};
    form->findChild<QAction*>("ClearMachine11Btn")->trigger();
    QCOMPARE(machines[4].Comment, std::string());
  }

  void newSystemResetsTheConfiguration() {
    auto form = Started({}, std::make_shared<test::MemorySettingsStore>());
    form->CurrentSession().EditConfiguration(
        [&](SystemConfiguration& c) { c.MainSetup.SystemName = "Hotel"; });
    form->CurrentSession().EditConfiguration(
        [&](SystemConfiguration& c) { c.MachineData[5].Enabled = true; });
    const ProgramRecord& program = form->Configuration().MachineData[0].Programs[0];
    form->SetCopiedProgram(&program);
    test::ScriptedDialogs dialogs;
    dialogs.answers = {kMsgNo};  // the edits are not saved
    form->findChild<QAction*>("NewSystemBtn")->trigger();
    QCOMPARE(dialogs.asked.size(), 1);
    QCOMPARE(form->Configuration().MainSetup.SystemName, std::string());
    QVERIFY(!form->Configuration().MachineData[5].Enabled);
    QVERIFY(form->CopiedProgram() == nullptr);
  }

  void newSystemShowsTheFormatAndMachineMenus() {
    auto form = Started({}, std::make_shared<test::MemorySettingsStore>());
    QVERIFY(form->StatusPanel(0)->text().isEmpty());
    QVERIFY(form->findChild<QAction*>("Machine1Btn")->isEnabled());
    QVERIFY(!form->findChild<QAction*>("Machine2Btn")->isEnabled());
    form->findChild<QAction*>("NewSystemBtn")->trigger();
    QCOMPARE(form->StatusPanel(0)->text(), QString("Format: 1.1"));
    QVERIFY(form->ImageValid());
  }

  void saveThenLoadRoundTripsThroughTheFile() {
    QTemporaryDir folder;
    const QString path = folder.filePath("hotel.xml");
    auto form = Started({}, std::make_shared<test::MemorySettingsStore>());
    test::ScriptedDialogs dialogs;
    form->CurrentSession().EditConfiguration(
        [&](SystemConfiguration& c) { c.MainSetup.SystemName = "Hotel & Spa"; });
    form->CurrentSession().EditConfiguration(
        [&](SystemConfiguration& c) { c.MachineData[3].Enabled = true; });
    form->CurrentSession().EditConfiguration(
        [&](SystemConfiguration& c) { c.MachineData[3].Programs[0].Name = "Sheets"; });
    dialogs.fileNames = {path};
    form->findChild<QAction*>("SaveSystemBtn")->trigger();
    QCOMPARE(dialogs.fileRequests.last().title, QString("Save System data"));
    QCOMPARE(dialogs.fileRequests.last().filter, QString("XML-file|*.xml|Any file|*.*"));
    QVERIFY(QFile::exists(path));
    QVERIFY(!form->SystemDataChanged());
    QCOMPARE(form->LastSystemFileName(), path);

    dialogs.answers = {};
    form->findChild<QAction*>("NewSystemBtn")->trigger();
    QCOMPARE(form->Configuration().MainSetup.SystemName, std::string());
    QVERIFY2(dialogs.asked.isEmpty(), "nothing changed since the save");

    dialogs.fileNames = {path};
    form->findChild<QAction*>("LoadSystemBtn")->trigger();
    QCOMPARE(dialogs.fileRequests.last().title, QString("Load system data"));
    QCOMPARE(dialogs.fileRequests.last().fileName, path);
    QCOMPARE(form->Configuration().MainSetup.SystemName, std::string("Hotel & Spa"));
    QVERIFY(form->findChild<QAction*>("Machine4Btn")->isEnabled());
    QCOMPARE(form->Configuration().MachineData[3].Programs[0].Name, std::string("Sheets"));
    QCOMPARE(form->StatusPanel(0)->text(), QString("Format: 1.1"));
    QVERIFY(!form->SystemDataChanged());
    QVERIFY(dialogs.asked.isEmpty());
  }

  void cancelledLoadChangesNothing() {
    auto form = Started({}, std::make_shared<test::MemorySettingsStore>());
    test::ScriptedDialogs dialogs;
    form->CurrentSession().EditConfiguration(
        [&](SystemConfiguration& c) { c.MainSetup.SystemName = "Kept"; });
    dialogs.fileNames = {QString()};
    form->findChild<QAction*>("LoadSystemBtn")->trigger();
    QCOMPARE(form->Configuration().MainSetup.SystemName, std::string("Kept"));
  }

  void failedLoadAndSaveAreReported() {
    QTemporaryDir folder;
    auto form = Started({}, std::make_shared<test::MemorySettingsStore>());
    test::ScriptedDialogs dialogs;
    const QString bad = folder.filePath("bad.xml");
    QFile file(bad);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(
        "<?xml version=\"1.0\"?><TL4200system><MainSetup><SystemName>Half</SystemName>"
        "</MainSetup><Alarm><Group0><Level>0</Level></Group0></Alarm></TL4200system>");
    file.close();
    dialogs.fileNames = {bad};
    form->findChild<QAction*>("LoadSystemBtn")->trigger();
    QCOMPARE(form->Configuration().MainSetup.SystemName,
             std::string("Half"));  // read before the error
    QCOMPARE(dialogs.asked.size(), 1);
    QVERIFY(dialogs.asked.last().text.contains(bad));
    QVERIFY(dialogs.asked.last().text.contains("Level"));
    QCOMPARE(dialogs.asked.last().type, MsgType::Error);

    const QString target = folder.filePath("no-such-folder/x.xml");
    dialogs.fileNames = {target};
    form->findChild<QAction*>("SaveSystemBtn")->trigger();
    QCOMPARE(dialogs.asked.size(), 2);
    QVERIFY(dialogs.asked.last().text.contains(target));
  }

  // A file read only in part is not silently replaced by what was read of it.
  void partlyLoadedFileIsReplacedOnlyWhenConfirmed() {
    QTemporaryDir folder;
    const QString name = folder.filePath("site.xml");
    const QByteArray original =
        "<?xml version=\"1.0\"?>\r\n<TL4200system><MainSetup><SystemName>Half</SystemName>"
        "</MainSetup><MachineData><Machine2><Comment>Washer 2</Comment><Enabled>maybe</Enabled>"
        "<Trigger><Type>Miele Logic</Type></Trigger></Machine2></MachineData></TL4200system>";
    QFile file(name);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(original);
    file.close();

    auto form = Started({}, std::make_shared<test::MemorySettingsStore>());
    test::ScriptedDialogs dialogs;
    dialogs.fileNames = {name};
    form->LoadSystemBtnClick();
    QCOMPARE(dialogs.asked.size(), 1);
    QVERIFY(dialogs.asked.last().text.contains("Only the part of the file before this point"));
    QVERIFY(form->SystemDataChanged());

    const QString question =
        "Only part of this file could be loaded. Replacing it loses the rest. Replace it anyway?";
    dialogs.fileNames = {name};
    dialogs.answers = {kMsgNo};
    QVERIFY(!form->SaveSystemBtnClick());
    QCOMPARE(dialogs.asked.last().text, question);
    QCOMPARE(dialogs.asked.last().type, MsgType::Warning);
    QCOMPARE(dialogs.asked.last().buttons, unsigned(kMsgYes | kMsgNo));
    QCOMPARE(dialogs.asked.last().defaultButton, unsigned(kMsgNo));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), original);
    file.close();
    QVERIFY(form->SystemDataChanged());

    // Another file is saved without the question; Yes replaces the file itself.
    dialogs.fileNames = {folder.filePath("other.xml"), name};
    dialogs.answers = {kMsgYes};
    const int asked = int(dialogs.asked.size());
    QVERIFY(form->SaveSystemBtnClick());
    QCOMPARE(int(dialogs.asked.size()), asked);
    QVERIFY(form->SaveSystemBtnClick());
    QCOMPARE(dialogs.asked.last().text, question);
    QVERIFY(!form->SystemDataChanged());
  }

  void valuesTheControllerCannotHoldAreListedAfterLoading() {
    QTemporaryDir folder;
    const QString name = folder.filePath("values.xml");
    QFile file(name);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QByteArray xml = "<TL4200system><MachineData><Machine1><ProgramTimeout>256</ProgramTimeout>";
    for (int n = 1; n <= 25; ++n) xml += "<Program><DefaultLevel>9</DefaultLevel></Program>";
    xml += "</Machine1></MachineData></TL4200system>";
    file.write(xml);
    file.close();

    auto form = Started({}, std::make_shared<test::MemorySettingsStore>());
    test::ScriptedDialogs dialogs;
    dialogs.fileNames = {name};
    form->LoadSystemBtnClick();
    QCOMPARE(dialogs.asked.size(), 1);
    const QString warning = dialogs.asked.last().text;
    QCOMPARE(dialogs.asked.last().type, MsgType::Warning);
    QVERIFY(warning.contains(
        "TL4200system/MachineData/Machine1/ProgramTimeout: \"256\" reaches the controller as "
        "\"0\"\n"));
    // Six programs are read: the timeout and six levels, 7 lines, all shown.
    QVERIFY(warning.contains("Machine1/Program(6)/DefaultLevel"));
    QVERIFY(!warning.contains("more"));
    QCOMPARE(form->Configuration().MachineData[0].ProgramTimeout, std::string("256"));
  }

  void unsavedWorkIsAskedForBeforeItIsDropped() {
    struct Case {
      const char* name;
      MsgButton answer;
      bool goesOn;
    } cases[] = {{"No goes on", kMsgNo, true}, {"Cancel stops", kMsgCancel, false}};
    for (const auto& c : cases) {
      auto form = Started({}, std::make_shared<test::MemorySettingsStore>());
      test::ScriptedDialogs dialogs;
      form->MachineWindow(0)->show();
      form->MachineWindow(0)->findChild<QLineEdit*>("CommentEdit")->setText("edited");
      QVERIFY(form->SystemDataChanged());
      dialogs.answers = {c.answer};
      form->findChild<QAction*>("NewSystemBtn")->trigger();
      QCOMPARE(dialogs.asked.last().text,
               QString("The system data has been changed.\n\nSave it before going on?"));
      QCOMPARE(form->Configuration().MachineData[0].Comment.empty(), c.goesOn);

      dialogs.answers = {c.answer};
      dialogs.fileNames = {QString()};
      const int fileDialogs = dialogs.fileRequests.size();
      form->findChild<QAction*>("LoadSystemBtn")->trigger();
      QCOMPARE(dialogs.fileRequests.size(), fileDialogs + (c.goesOn ? 1 : 0));

      dialogs.answers = {c.answer};
      form->CurrentSession().EditConfiguration(
          [&](SystemConfiguration& c) { c.MachineData[1].Comment = "x"; });
      QVERIFY(form->close() == c.goesOn);
    }
  }

  void yesSavesBeforeGoingOn() {
    QTemporaryDir folder;
    auto form = Started({}, std::make_shared<test::MemorySettingsStore>());
    test::ScriptedDialogs dialogs;
    form->CurrentSession().EditConfiguration(
        [&](SystemConfiguration& c) { c.MachineData[0].Comment = "keep me"; });
    dialogs.answers = {kMsgYes};
    dialogs.fileNames = {QString()};  // the save dialog cancelled: nothing is lost
    form->findChild<QAction*>("NewSystemBtn")->trigger();
    QCOMPARE(form->Configuration().MachineData[0].Comment, std::string("keep me"));

    dialogs.answers = {kMsgYes};
    dialogs.fileNames = {folder.filePath("saved.xml")};
    form->findChild<QAction*>("NewSystemBtn")->trigger();
    QVERIFY(QFile::exists(folder.filePath("saved.xml")));
    QCOMPARE(form->Configuration().MachineData[0].Comment, std::string());
  }

  void unsavedProgramEditsAreStoredOnYesBeforeSaving() {
    QTemporaryDir folder;
    auto form = Started({}, std::make_shared<test::MemorySettingsStore>());
    test::ScriptedDialogs dialogs;
    TMachineForm* machine = form->MachineWindow(0);
    machine->show();
    machine->ProgramBtnClick(2);
    machine->ProgramEditor(1)->findChild<QLineEdit*>("ProgramNameEdit")->setText("Towels");
    dialogs.answers = {kMsgYes};
    dialogs.fileNames = {folder.filePath("a.xml")};
    QVERIFY(form->SaveSystemBtnClick());
    QCOMPARE(dialogs.asked.first().text, QString("Unsaved program data, update before save?"));
    QCOMPARE(form->Configuration().MachineData[0].Programs[1].Name, std::string("Towels"));
    QFile saved(folder.filePath("a.xml"));
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QVERIFY(saved.readAll().contains("<Name>Towels</Name>"));
    QVERIFY(!machine->AnyModified());
    QVERIFY(!form->SystemDataChanged());
  }
};

QTEST_MAIN(MainFormTest)
#include "main_form_test.moc"
