#include "HtmlText.h"
#include "TestSupport.h"
#include "TextExtractor.h"

#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(HtmlText, ReadsTextAsAPageShowsIt)
{
    const std::pair<const char *, QString> cases[] = {
        {"<p>Rechnung</p><p>Gesamt <b>12,34</b>&nbsp;&euro;</p>", u"Rechnung\nGesamt 12,34 €\n"_s},
        {"  viel   Platz \n\t hier ", u"viel Platz hier"_s},
        {"a<br>b<br/>c<BR >", u"a\nb\nc\n"_s},
        {"<table><tr><th>Posten</th><td>Betrag</td></tr><tr><td>Gesamt</td><td>9,40</td></tr></table>",
         u"Posten\tBetrag\nGesamt\t9,40\n"_s},
        {"<pre>a  b\n c</pre>d", u"a  b\n c\nd"_s},
        {"<!DOCTYPE html><head><title>T</title><style>p{}</style></head><script>if (a<b) s='</p>';</script>x",
         u"x"_s},
        {"<!-- <p>nicht</p> -- > -->ja<!---->", u"ja"_s},
        {"<a href=\"x>y\" title='q>'>Link</a>", u"Link"_s},
        {"&amp;&lt;&#x41;&#66;&copy;&#128;&#0;&unbekannt; & &#", u"&<AB©€\uFFFD&unbekannt; & &#"_s},
        {"5 < 6", u"5 < 6"_s},
    };
    for (const auto &[html, text] : cases)
        EXPECT_EQ(HtmlText::read(QString::fromUtf8(html), 1000), text) << html;
    // The text is cut as it is read, pages of endless unclosed elements included.
    EXPECT_EQ(HtmlText::read(u"<p>ab</p>"_s.repeated(1000), 10), u"ab\nab\nab\na"_s);
    EXPECT_EQ(HtmlText::read(u"<div>"_s.repeated(100000) + u"Rechnung"_s, 1000), u"Rechnung"_s);
}

// Files are read in processes without windows too (the command-line
// subcommands), where only a core application exists. The test runs itself
// again in such a process.
TEST(HtmlText, ReadsInAProcessWithoutAGraphicalApplication)
{
    if (qEnvironmentVariableIsSet("FILEWRIGHT_CORE_APPLICATION_ONLY")) {
        ASSERT_EQ(qobject_cast<QGuiApplication *>(QCoreApplication::instance()), nullptr);
        const QTemporaryDir dir;
        ASSERT_TRUE(TestSupport::writeFile(dir.filePath(u"page.html"_s), "<p>Gesamt <b>12,34 &euro;</b></p>"));
        EXPECT_EQ(TextExtractor::text(dir.filePath(u"page.html"_s)).text, u"Gesamt 12,34 €\n"_s);
        return;
    }
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"FILEWRIGHT_CORE_APPLICATION_ONLY"_s, u"1"_s);
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(u"/proc/self/exe"_s, {u"--gtest_filter=HtmlText.ReadsInAProcessWithoutAGraphicalApplication"_s});
    ASSERT_TRUE(child.waitForFinished(60000));
    const QByteArray output = child.readAll();
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit) << output.toStdString();
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains("[  PASSED  ] 1 test")) << output.toStdString();
}
