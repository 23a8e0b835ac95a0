// Our own Qt text fields paste what we staged at once: Qt's clipboard waits synchronously for
// the owner, and our owner is served off the main thread, so the wait cannot starve it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>

#include "Processes.h"
#include "Tovra/base/PasteboardTypes.h"
#include "platform/qt/QtMainQueue.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11Pasteboard.h"

namespace tovra {
namespace {

TEST(OwnProcessPaste, OurTextFieldPastesWhatWeStaged) {
    std::string error;
    QtMainQueue queue;
    auto connection = X11Connection::open(nullptr, error);
    ASSERT_NE(connection, nullptr) << error;
    connection->attach(queue);
    X11Pasteboard pasteboard(*connection, queue, X11Pasteboard::Options{std::size_t{10} << 20});

    for (const char* staged : {"first item", "second \xE2\x80\x94 item"}) {
        pasteboard.clearContents();
        pasteboard.setString(staged, pasteboardType::string);
        ASSERT_TRUE(test::waitUntil(
            [&] { return !pasteboard.hasPendingWrite() && pasteboard.ownsSelection(); }));
        // Once Qt has heard of the new owner; each look is itself a paste from our own process.
        ASSERT_TRUE(test::waitUntil(
            [&] { return QApplication::clipboard()->text().toStdString() == staged; }));

        QLineEdit field;
        field.show();
        field.paste();  // blocks this thread in Qt's own clipboard wait
        EXPECT_EQ(field.text().toStdString(), staged);
        EXPECT_EQ(QApplication::clipboard()->text().toStdString(), staged);
    }
}

}  // namespace
}  // namespace tovra
