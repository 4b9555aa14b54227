// Update Database, Set Database File and the database view, on real SQLite files.
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "persistence/settings.hpp"
#include "support/sqlite_file.hpp"
#include "temp_dir.hpp"
#include "ui/data_dialog.hpp"
#include "ui/main_frm.hpp"
#include "ui_test_support.hpp"

using vantrel::testing_support::MakeObjectDatabase;
using vantrel::testing_support::MessageBoxAnswer;
using vantrel::testing_support::ObjectRows;
using vantrel::testing_support::OldRecord;
using vantrel::testing_support::TempDir;

namespace vantrel::ui {

class DatabaseWindowsTest : public QObject {
    Q_OBJECT

    struct Fixture {
        TempDir dir;
        persistence::ProgramState program;
        std::optional<QString> nextAnswer;
        std::unique_ptr<MainFrm> window;
        explicit Fixture(int records = 8) {
            MakeObjectDatabase(dir / "main.sqlite", records);
            MakeObjectDatabase(dir / "other.sqlite", 9);
            program.settings = persistence::GetIniData(dir / "Vantrel.ini");
            program.settings.DataBaseFilename = (dir / "main.sqlite").string();
            MainFrmEnvironment environment{dir / "Vantrel.ini", ','};
            environment.fileDialog = [this](QWidget*, const FileDialogRequest&) { return nextAnswer; };
            window = std::make_unique<MainFrm>(program, environment);
            window->StartDatabase();
        }
    };

  private Q_SLOTS:
    void UpdateDatabaseRefusesBeforeCalculateThenWritesSevenRecords() {
        Fixture f;
        {
            MessageBoxAnswer answer(QMessageBox::Ok);
            QTest::mouseClick(f.window->upd_db_cmd, Qt::LeftButton);
            QCOMPARE(answer.text(), QStringLiteral("No Valid Data."));
        }
        QCOMPARE(ObjectRows(f.dir / "main.sqlite")[0], OldRecord(1));
        QTest::mouseClick(f.window->CalcCMD, Qt::LeftButton);
        QTest::mouseClick(f.window->upd_db_cmd, Qt::LeftButton);
        const auto rows = ObjectRows(f.dir / "main.sqlite");
        QCOMPARE(rows.size(), 8u);
        QCOMPARE(rows[0][0], std::string("FP1"));
        QCOMPARE(rows[0][3], std::string("23"));
        QCOMPARE(rows[6][0], std::string("F5"));
        QCOMPARE(rows[7], OldRecord(8));
    }

    void SetDatabaseFileSwitchesAndKeepsTheOldOneOnFailure() {
        Fixture f;
        QTest::mouseClick(f.window->CalcCMD, Qt::LeftButton);
        f.nextAnswer = QString::fromStdString((f.dir / "other.sqlite").string());
        f.window->mnuSetDbFname->trigger();
        QCOMPARE(f.program.main.DbFileName, (f.dir / "other.sqlite").string());
        {
            f.nextAnswer = QString::fromStdString((f.dir / "missing.sqlite").string());
            MessageBoxAnswer answer(QMessageBox::Ok);
            f.window->mnuSetDbFname->trigger();
            QVERIFY(answer.text().contains(QStringLiteral("missing.sqlite")));
        }
        QVERIFY(!std::filesystem::exists(f.dir / "missing.sqlite"));
        QTest::mouseClick(f.window->upd_db_cmd, Qt::LeftButton);
        QCOMPARE(ObjectRows(f.dir / "other.sqlite")[0][0], std::string("FP1"));
        QCOMPARE(ObjectRows(f.dir / "main.sqlite")[0], OldRecord(1));
        QCOMPARE(f.program.settings.DataBaseFilename, (f.dir / "main.sqlite").string());
    }

    void ViewShowsNavigatesAndStoresEdits() {
        Fixture f;
        f.window->mnuViewDb->trigger();
        DataDialog* view = f.window->dataWindow.Get();
        QVERIFY(view != nullptr);
        QCOMPARE(view->windowTitle(), QStringLiteral("Dataview"));
        QCOMPARE(view->Text1->text(), QStringLiteral("old1"));
        QCOMPARE(view->Text4->text(), QStringLiteral("101"));
        QTest::mouseClick(view->cmdNext, Qt::LeftButton);
        QCOMPARE(view->Text2->text(), QStringLiteral("lat2"));
        view->Text1->selectAll();
        QTest::keyClicks(view->Text1, QStringLiteral("Fox hill"));
        QTest::mouseClick(view->cmdLast, Qt::LeftButton);  // moving on stores the edit
        QCOMPARE(view->Text3->text(), QStringLiteral("lon8"));
        QCOMPARE(view->lblRecord->text(), QStringLiteral("Record 8 of 8"));
        QCOMPARE(ObjectRows(f.dir / "main.sqlite")[1][0], std::string("Fox hill"));
        QTest::mouseClick(view->cmdFirst, Qt::LeftButton);
        QTest::mouseClick(view->cmdPrevious, Qt::LeftButton);  // stays on the first
        QCOMPARE(view->Text1->text(), QStringLiteral("old1"));
        view->Text4->selectAll();
        QTest::keyClicks(view->Text4, QStringLiteral("42"));
        QTest::mouseClick(view->OKButton, Qt::LeftButton);  // OK stores and closes
        QCOMPARE(ObjectRows(f.dir / "main.sqlite")[0][3], std::string("42"));
    }

    void ViewFollowsTheDatabaseTheMainWindowUses() {
        Fixture f;
        f.window->mnuViewDb->trigger();
        f.nextAnswer = QString::fromStdString((f.dir / "other.sqlite").string());
        f.window->mnuSetDbFname->trigger();
        DataDialog* view = f.window->dataWindow.Get();
        QTest::mouseClick(view->cmdLast, Qt::LeftButton);
        QCOMPARE(view->lblRecord->text(), QStringLiteral("Record 9 of 9"));
    }

    void ViewReportsADatabaseThatCannotBeOpened() {
        TempDir dir;
        persistence::ProgramState program;
        program.settings.DataBaseFilename = (dir / "nowhere.mdb").string();
        MainFrm window(program, {dir / "Vantrel.ini", ','});
        {
            MessageBoxAnswer answer(QMessageBox::Ok);
            window.StartDatabase();
            QVERIFY(answer.text().contains(QStringLiteral("nowhere.mdb")));
        }
        window.mnuViewDb->trigger();
        DataDialog* view = window.dataWindow.Get();
        QVERIFY(view->lblRecord->text().contains(QStringLiteral("nowhere.mdb")));
        QVERIFY(!view->Text1->isEnabled());
        QVERIFY(!std::filesystem::exists(dir / "nowhere.mdb"));
    }
};

}  // namespace vantrel::ui

QTEST_MAIN(vantrel::ui::DatabaseWindowsTest)
#include "database_windows_test.moc"
