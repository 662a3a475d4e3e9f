// The folder picker: what the chooser opens on, what it keeps.
#include "BrowseIt.h"
#include "UiScript.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QWidget>
#include <gtest/gtest.h>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {
QString statusOf(QDialog& d)
{
    auto* status = d.findChild<QLabel*>(QStringLiteral("StatusText"));
    return status ? status->text() : QStringLiteral("<no status line>");
}
} // namespace

TEST(BrowseIt, KeepsTheChoiceAndOpensOnItNextTime)
{
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    const QString first = QDir(tmp.path()).filePath(QStringLiteral("first"));
    const QString second = QDir(tmp.path()).filePath(QStringLiteral("second"));
    ASSERT_TRUE(QDir().mkpath(first) && QDir().mkpath(second));
    QWidget owner;
    TBrowseIt browse;
    browse.Title = QStringLiteral("Locate the folder");
    UiScript ui;

    // A fresh picker: the title shown, an empty status line; a cancel
    // leaves the folder empty.
    ui.answer([&](QDialog& d) {
        EXPECT_TRUE(qobject_cast<QFileDialog*>(&d));
        EXPECT_EQ(d.windowTitle(), QStringLiteral("Locate the folder"));
        EXPECT_EQ(statusOf(d), QString());
        EXPECT_EQ(d.parentWidget(), &owner);
        return mrCancel;
    });
    browse.Execute(&owner);
    EXPECT_EQ(browse.Directory, QString());

    // A folder confirmed with the dialog's own button is kept, whole.
    ui.answer([&](QDialog& d) {
        auto& dialog = static_cast<QFileDialog&>(d);
        dialog.setDirectory(first);
        QPushButton* choose = dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Open);
        EXPECT_TRUE(choose && choose->isEnabled());
        if (choose)
            choose->click();
        return mrCancel;   // the click's own result holds
    });
    browse.Execute(&owner);
    EXPECT_EQ(browse.Directory, first);

    // The next showing opens on it and shows it in the status line; a
    // cancel keeps it.
    ui.answer([&](QDialog& d) {
        auto& dialog = static_cast<QFileDialog&>(d);
        EXPECT_EQ(dialog.directory().absolutePath(), first);
        EXPECT_EQ(statusOf(d), first);
        dialog.setDirectory(second);
        return mrCancel;
    });
    browse.Execute(&owner);
    EXPECT_EQ(browse.Directory, first);

    // A confirmed name that is not a folder changes nothing.
    ui.answer([&](QDialog& d) {
        auto& dialog = static_cast<QFileDialog&>(d);
        dialog.setDirectory(second);
        dialog.selectFile(QStringLiteral("no such folder"));
        return mrOk;
    });
    browse.Execute(&owner);
    EXPECT_EQ(browse.Directory, first);

    // A folder set from outside is where the chooser opens.
    browse.Directory = second;
    ui.answer([&](QDialog& d) {
        EXPECT_EQ(static_cast<QFileDialog&>(d).directory().absolutePath(), second);
        return mrOk;
    });
    browse.Execute(&owner);
    EXPECT_EQ(browse.Directory, second);
    EXPECT_TRUE(ui.answers.empty());
}

TEST(BrowseIt, ALongPathIsNeverCut)
{
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    QString deep = tmp.path();
    for (int i = 0; i < 6; ++i)
        deep += QLatin1Char('/') + QString(60, QLatin1Char('a' + i));
    ASSERT_GT(deep.size(), 300);
    ASSERT_TRUE(QDir().mkpath(deep));
    TBrowseIt browse;
    UiScript ui;
    ui.answer([&](QDialog& d) {
        // No title set: the dialog keeps a title of its own.
        EXPECT_FALSE(d.windowTitle().isEmpty());
        static_cast<QFileDialog&>(d).setDirectory(deep);
        return mrOk;
    });
    browse.Execute(nullptr);
    EXPECT_EQ(browse.Directory, deep);
}
