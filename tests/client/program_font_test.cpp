// The client's windows are laid out in the program's own font, as the
// program sets it at start; every client test runs in it.
#include "TavrellApplication.h"
#include "cmdlinehelpfrm.h"

#include <QApplication>
#include <QFontInfo>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>
#include <gtest/gtest.h>

namespace {

class ProgramFontEnvironment : public ::testing::Environment {
public:
    void SetUp() override { SetProgramFont(); }
};

[[maybe_unused]] const auto* const programFont =
    ::testing::AddGlobalTestEnvironment(new ProgramFontEnvironment);

} // namespace

TEST(ProgramFont, IsTheInstalledMetricCompatibleFamily)
{
    const QFontInfo info(QApplication::font());
    EXPECT_EQ(info.family(), ProgramFontFamily) << "install the fonts-liberation2 package";
    EXPECT_EQ(QApplication::font().pointSize(), 8);
}

TEST(ProgramFont, CommandLineHelpShowsWholeWithoutWrappingMidSentence)
{
    TcmdLineHelpFrm f;
    f.show();
    QApplication::processEvents();
    // Every line of the text is one line on the screen, and all of them fit.
    const QTextDocument* doc = f.Memo1->document();
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next())
        EXPECT_EQ(b.layout()->lineCount(), 1) << b.text().toStdString();
    const int height = int(f.Memo1->document()->size().height());   // in lines for a plain text
    EXPECT_EQ(height, f.Memo1->document()->blockCount());
    const int lineHeight = QFontMetrics(f.Memo1->font()).lineSpacing();
    EXPECT_LE(height * lineHeight + 8, f.Memo1->viewport()->height());
}
