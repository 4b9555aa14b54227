// The main window's file and overlay commands, driven through the real widgets; the file dialog is the
// one seam (it answers with a path in a temporary folder, or cancels).
#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "file_bytes.hpp"
#include "persistence/settings.hpp"
#include "temp_dir.hpp"
#include "ui/main_frm.hpp"
#include "ui_test_support.hpp"

using vantrel::testing_support::MessageBoxAnswer;
using vantrel::testing_support::ReadBytes;
using vantrel::testing_support::TempDir;

namespace vantrel::ui {

class MainFrmCommandsTest : public QObject {
    Q_OBJECT

    struct Fixture {
        TempDir dir;
        persistence::ProgramState program;
        std::optional<QString> nextAnswer;  // what the file dialog answers
        std::vector<FileDialogRequest> asked;
        std::unique_ptr<MainFrm> window;
        Fixture() {
            program.settings = persistence::GetIniData(dir / "Vantrel.ini");
            persistence::ApplyStartupDefaults(program.settings, program.main,
                                              persistence::WindowsDefaultLocations());
            program.settings.FoxesFileLocation = (dir / "foxies.ovl").string();
            program.settings.RaysFileLocation = (dir / "rays.ovl").string();
            program.settings.PreviewOverlayFileLocation = (dir / "preview.ovl").string();
            MainFrmEnvironment environment{dir / "Vantrel.ini", ','};
            environment.fileDialog = [this](QWidget*, const FileDialogRequest& request) {
                asked.push_back(request);
                return nextAnswer;
            };
            window = std::make_unique<MainFrm>(program, environment);
            window->show();
        }
        QString Path(const char* name) const { return QString::fromStdString((dir / name).string()); }
    };

    static void TypeInto(QLineEdit* box, const QString& text) {
        box->selectAll();
        QTest::keyClicks(box, text);
    }

    static void EnterHunt(MainFrm& w) {
        TypeInto(w.Sced1Lon, QStringLiteral("500000"));
        TypeInto(w.Sced1Lat, QStringLiteral("5700000"));
        TypeInto(w.Sced2Lon, QStringLiteral("501000"));
        TypeInto(w.Sced2Lat, QStringLiteral("5700000"));
        TypeInto(w.S1Ang[0], QStringLiteral("45"));
        TypeInto(w.S2Ang[0], QStringLiteral("315"));
        TypeInto(w.S1Sig[0], QStringLiteral("-12,5"));
    }

  private Q_SLOTS:
    void WriteOverlaysRefusesBeforeCalculateThenWrites() {
        Fixture f;
        EnterHunt(*f.window);
        {
            MessageBoxAnswer answer(QMessageBox::Ok);
            QTest::mouseClick(f.window->cmdWriteOvl, Qt::LeftButton);
            QCOMPARE(answer.text(), QStringLiteral("No Valid Data."));
            QCOMPARE(answer.title(), QStringLiteral("Vantrel2"));
            QCOMPARE(answer.icon(), QMessageBox::NoIcon);
        }
        QVERIFY(!std::filesystem::exists(f.dir / "foxies.ovl"));
        QTest::mouseClick(f.window->CalcCMD, Qt::LeftButton);
        QTest::mouseClick(f.window->cmdWriteOvl, Qt::LeftButton);
        const std::string foxes = ReadBytes(f.dir / "foxies.ovl");
        QVERIFY(foxes.rfind("[Symbol 1]\r\nTyp=1\r\n", 0) == 0);
        QVERIFY(foxes.find("\r\n\r\n\r\n[Overlay]\r\nSymbols=7\r\n") != std::string::npos);
        QVERIFY(ReadBytes(f.dir / "rays.ovl").find("[MapLage]\r\n") != std::string::npos);
    }

    void WriteOverlaysFailureIsShownWithThePath() {
        Fixture f;
        f.program.settings.FoxesFileLocation = (f.dir / "missing" / "foxies.ovl").string();
        QTest::mouseClick(f.window->CalcCMD, Qt::LeftButton);
        MessageBoxAnswer answer(QMessageBox::Ok);
        QTest::mouseClick(f.window->cmdWriteOvl, Qt::LeftButton);
        QVERIFY(answer.text().contains(QStringLiteral("foxies.ovl")));
        QCOMPARE(answer.icon(), QMessageBox::Warning);
    }

    void WritePreviewOverlayNeedsNoCalculate() {
        Fixture f;
        EnterHunt(*f.window);
        QTest::mouseClick(f.window->cmdWritePreview, Qt::LeftButton);
        const std::string preview = ReadBytes(f.dir / "preview.ovl");
        QVERIFY(preview.find("Symbols=5\r\n") != std::string::npos);
        QVERIFY(preview.find("Size=103\r\n") != std::string::npos);  // -12.5 dB
        QCOMPARE(f.program.main.ScedEast[0], 500000.0);
    }

    void SaveAndOpenRoundTripThroughTheMenus() {
        Fixture f;
        EnterHunt(*f.window);
        TypeInto(f.window->S2Sig[4], QStringLiteral("-0,25"));
        f.nextAnswer = f.Path("hunt.fh2");
        f.window->mnuSave->trigger();
        QCOMPARE(f.asked.back().kind, FileDialogRequest::Kind::Save);
        QCOMPARE(f.asked.back().filter, QStringLiteral("ZarUvariziRozu (*.fh2)"));
        QCOMPARE(f.asked.back().presetName, QStringLiteral("1"));  // Last Used Filename of a first run
        QCOMPARE(ReadBytes(f.dir / "hunt.fh2").size(), 38656u);
        QVERIFY(
            ReadBytes(f.dir / "Vantrel.ini").find("Last Used Filename=" + (f.dir / "hunt.fh2").string()) !=
            std::string::npos);

        TypeInto(f.window->S1Ang[0], QStringLiteral("99"));
        TypeInto(f.window->Sced1Lon, QStringLiteral("0500000,000"));
        f.window->mnuOpen->trigger();
        QCOMPARE(f.asked.back().presetName, f.Path("hunt.fh2"));
        QCOMPARE(f.window->S1Ang[0]->text(), QStringLiteral("45"));
        QCOMPARE(f.window->Sced1Lon->text(), QStringLiteral("500000"));
        QCOMPARE(f.window->S2Sig[4]->text(), QStringLiteral("-0,25"));
        QCOMPARE(f.window->S1Sig[0]->text(), QStringLiteral("-12,5"));
    }

    void CancelledDialogChangesNothing() {
        Fixture f;
        TypeInto(f.window->S1Ang[1], QStringLiteral("17"));
        f.window->mnuOpen->trigger();
        f.window->mnuSave->trigger();
        f.window->mnuImport->trigger();
        QCOMPARE(f.asked.size(), 3u);
        QCOMPARE(f.window->S1Ang[1]->text(), QStringLiteral("17"));
        QVERIFY(!std::filesystem::exists(f.dir / "Vantrel.ini"));
    }

    void OpenOfABrokenFileIsRefusedWithAMessage() {
        Fixture f;
        testing_support::WriteBytes(f.dir / "short.fh2", std::string(100, '\0'));
        TypeInto(f.window->S1Ang[1], QStringLiteral("17"));
        f.nextAnswer = f.Path("short.fh2");
        MessageBoxAnswer answer(QMessageBox::Ok);
        f.window->mnuOpen->trigger();
        QVERIFY(answer.text().contains(QStringLiteral("short.fh2")));
        QCOMPARE(f.window->S1Ang[1]->text(), QStringLiteral("17"));
    }

    void SaveNamesABoxThatIsNotANumber() {
        Fixture f;
        TypeInto(f.window->S2Ang[3], QStringLiteral("abc"));
        f.nextAnswer = f.Path("hunt.fh2");
        MessageBoxAnswer answer(QMessageBox::Ok);
        f.window->mnuSave->trigger();
        QVERIFY(answer.text().contains(QStringLiteral("Scedule 2, F4 bearing")));
        QVERIFY(!std::filesystem::exists(f.dir / "hunt.fh2"));
    }

    void ImportFillsTheStationBoxes() {
        Fixture f;
        f.nextAnswer = QStringLiteral(VANTREL_SOURCE_DIR "/examples/hunt-kassel.fhd");
        f.window->mnuImport->trigger();
        QCOMPARE(f.asked.back().presetName, QStringLiteral("*.fhd"));
        QCOMPARE(f.asked.back().filter, QStringLiteral("ZarUvariziRozu (*.fhd)"));
        QVERIFY(f.window->Sced1Lat->text() != QStringLiteral("0"));
        QVERIFY(!std::filesystem::exists(f.dir / "Vantrel.ini"));  // Import does not touch the settings
    }

    // `vantrel FILE`: the file opens as the menus would open it, and a failure shows the very message the
    // menu shows, leaving the start texts.
    void FileFromOutsideOpensAsTheMenusWould_data() {
        QTest::addColumn<QString>("file");  // a name in examples/ or, with "tmp/", in the temporary folder
        QTest::addColumn<QString>("sced1Lat");  // expected; empty: the start text stays
        QTest::addColumn<bool>("remembered");   // Last Used Filename set, as Open does and Import does not
        QTest::addColumn<QString>("reason");    // in the message; empty: no message
        QTest::newRow("fh2") << "hunt-vogelsberg.fh2"
                             << "5596230" << true << "";
        QTest::newRow("fhd") << "hunt-kassel.fhd"
                             << "5684210,5" << false << "";
        QTest::newRow("FHD in capitals") << "tmp/KASSEL.FHD"
                                         << "5684210,5" << false << "";
        QTest::newRow("fh2 too short") << "tmp/short.fh2"
                                       << "" << false << "short.fh2";
        QTest::newRow("fhd too short") << "tmp/short.fhd"
                                       << "" << false << "short.fhd";
        QTest::newRow("missing") << "tmp/gone.fh2"
                                 << "" << false << "No such file or directory";
    }

    void FileFromOutsideOpensAsTheMenusWould() {
        QFETCH(QString, file);
        QFETCH(QString, sced1Lat);
        QFETCH(bool, remembered);
        QFETCH(QString, reason);
        Fixture f;
        testing_support::WriteBytes(f.dir / "KASSEL.FHD",
                                    ReadBytes(VANTREL_SOURCE_DIR "/examples/hunt-kassel.fhd"));
        testing_support::WriteBytes(f.dir / "short.fh2", std::string(100, '\0'));
        testing_support::WriteBytes(f.dir / "short.fhd", std::string(100, '\0'));
        const QString path = file.startsWith(QStringLiteral("tmp/"))
                                 ? f.Path(file.mid(4).toStdString().c_str())
                                 : QStringLiteral(VANTREL_SOURCE_DIR "/examples/") + file;
        const QString startText = f.window->Sced1Lat->text();

        MessageBoxAnswer answer(QMessageBox::Ok, 2000);
        f.window->OpenFromOutside(path.toStdString());
        QCOMPARE(f.window->Sced1Lat->text(), sced1Lat.isEmpty() ? startText : sced1Lat);
        const std::string settings = ReadBytes(f.dir / "Vantrel.ini");
        QCOMPARE(settings.find("Last Used Filename=" + path.toStdString()) != std::string::npos, remembered);
        QCOMPARE(answer.answered(), !reason.isEmpty());
        if (reason.isEmpty()) {
            return;
        }
        QVERIFY2(answer.text().contains(reason), qPrintable(answer.text()));
        // The same file through the menu gives the same message.
        f.nextAnswer = path;
        MessageBoxAnswer menuAnswer(QMessageBox::Ok, 2000);
        (file.toLower().endsWith(QStringLiteral(".fhd")) ? f.window->mnuImport : f.window->mnuOpen)
            ->trigger();
        QCOMPARE(menuAnswer.text(), answer.text());
    }
};

}  // namespace vantrel::ui

QTEST_MAIN(vantrel::ui::MainFrmCommandsTest)
#include "main_frm_commands_test.moc"
