// The database view's record browsing and editing, on a real SQLite file.
#include "map_outputs/object_browser.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "platform/object_database.hpp"
#include "support/sqlite_file.hpp"
#include "temp_dir.hpp"

namespace vantrel::map_outputs {
namespace {

using testing_support::MakeObjectDatabase;
using testing_support::ObjectRows;
using testing_support::Rows;
using testing_support::SqliteFile;
using testing_support::TempDir;

ObjectRecordTexts Old(int n) {
    const auto old = testing_support::OldRecord(n);
    return {old[0], old[1], old[2], old[3]};
}

class ObjectBrowserTest : public testing::Test {
  protected:
    void OpenWith(int records) {
        MakeObjectDatabase(db, records);
        auto opened = platform::OpenObjectTable(db);
        ASSERT_TRUE(opened.ok()) << opened.message();
        table = std::move(*opened);
        browser = std::make_unique<ObjectBrowser>(*table);
        ASSERT_TRUE(browser->Open().ok());
    }

    TempDir dir;
    std::filesystem::path db = dir / "objects.sqlite";
    std::unique_ptr<ObjectTable> table;
    std::unique_ptr<ObjectBrowser> browser;
};

TEST_F(ObjectBrowserTest, MovesThroughTheRecordsAndStaysAtEitherEnd) {
    OpenWith(3);
    EXPECT_EQ(browser->Position(), 0);
    EXPECT_EQ(browser->Texts(), Old(1));

    ASSERT_TRUE(browser->MovePrevious().ok());
    EXPECT_EQ(browser->Position(), 0);
    ASSERT_TRUE(browser->MoveNext().ok());
    EXPECT_EQ(browser->Texts(), Old(2));
    ASSERT_TRUE(browser->MoveLast().ok());
    EXPECT_EQ(browser->Texts(), Old(3));
    ASSERT_TRUE(browser->MoveNext().ok());
    EXPECT_EQ(browser->Position(), 2);
    ASSERT_TRUE(browser->MoveFirst().ok());
    EXPECT_EQ(browser->Texts(), Old(1));
}

TEST_F(ObjectBrowserTest, TypedTextIsSavedWhenTheViewMovesAndAnEmptiedBoxStoresNull) {
    OpenWith(3);
    ASSERT_TRUE(browser->MoveNext().ok());
    browser->SetText(ObjectBox::Name, "Hill");
    browser->SetText(ObjectBox::Lon, "");
    browser->SetText(ObjectBox::GraphId, " 31 ");
    EXPECT_TRUE(browser->HasEdits());
    EXPECT_EQ(ObjectRows(db)[1], (std::vector<std::string>{"old2", "lat2", "lon2", "102"}));  // not yet

    ASSERT_TRUE(browser->MoveNext().ok());
    EXPECT_EQ(ObjectRows(db)[1], (std::vector<std::string>{"Hill", "lat2", "<NULL>", "31"}));
    EXPECT_EQ(SqliteFile(db).Rows("SELECT typeof(graphic_id) FROM OBJECT_LIST WHERE rowid = 2"),
              Rows{{"integer"}});
    ASSERT_TRUE(browser->MovePrevious().ok());
    EXPECT_EQ(browser->Texts(), (ObjectRecordTexts{"Hill", "lat2", "", "31"}));
}

TEST_F(ObjectBrowserTest, AGraphIdThatIsNoNumberKeepsTheViewOnTheRecordWithTheTyping) {
    OpenWith(3);
    browser->SetText(ObjectBox::Name, "Hill");
    browser->SetText(ObjectBox::GraphId, "twenty");
    const core::Outcome moved = browser->MoveNext();
    EXPECT_EQ(moved.message(), "Graph ID must be a whole number from -32768 to 32767: \"twenty\"");
    EXPECT_EQ(browser->Position(), 0);
    EXPECT_EQ(browser->Texts().objname, "Hill");
    EXPECT_EQ(ObjectRows(db)[0], (std::vector<std::string>{"old1", "lat1", "lon1", "101"}));

    browser->SetText(ObjectBox::GraphId, "20");
    ASSERT_TRUE(browser->SaveEdits().ok());  // what OK does
    EXPECT_EQ(ObjectRows(db)[0], (std::vector<std::string>{"Hill", "lat1", "lon1", "20"}));
    EXPECT_FALSE(browser->HasEdits());
}

TEST_F(ObjectBrowserTest, AnEmptyTableShowsNoRecordAndIgnoresTyping) {
    OpenWith(0);
    EXPECT_EQ(browser->Position(), -1);
    browser->SetText(ObjectBox::Name, "Hill");
    EXPECT_EQ(browser->Texts(), ObjectRecordTexts{});
    EXPECT_TRUE(browser->MoveNext().ok());
    EXPECT_TRUE(browser->SaveEdits().ok());
    EXPECT_EQ(ObjectRows(db), Rows{});
}

}  // namespace
}  // namespace vantrel::map_outputs
