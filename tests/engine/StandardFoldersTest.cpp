#include "StandardFolders.h"
#include "TestSupport.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using StandardFolders::Folder;

namespace {
QStringList tildes()
{
    QStringList all;
    for (const Folder folder : {Folder::desktop, Folder::documents, Folder::downloads, Folder::pictures})
        all.append(StandardFolders::tilde(folder));
    return all;
}
} // namespace

TEST(StandardFolders, TheDesktopsOwnNamesElseThePlainOnes)
{
    // No user-dirs.dirs at all.
    EXPECT_EQ(tildes(), (QStringList{u"~/Desktop"_s, u"~/Documents"_s, u"~/Downloads"_s, u"~/Pictures"_s}));
    {
        const TestSupport::ScopedUserDirs german(TestSupport::ScopedUserDirs::german());
        EXPECT_EQ(tildes(), (QStringList{u"~/Schreibtisch"_s, u"~/Dokumente"_s, u"~/Downloads"_s, u"~/Bilder"_s}));
        EXPECT_EQ(StandardFolders::path(Folder::documents, u"/home/anna"_s), u"/home/anna/Dokumente"_s);
        EXPECT_EQ(StandardFolders::name(Folder::desktop), u"Schreibtisch"_s);
    }
    {
        // A folder switched off points at the home itself, with or without a
        // slash; one left out is not set; one elsewhere stays where it is.
        const TestSupport::ScopedUserDirs odd("XDG_DESKTOP_DIR=\"$HOME/\"\n"
                                              "XDG_DOCUMENTS_DIR=\"$HOME\"\n"
                                              "XDG_PICTURES_DIR=\"/srv/Fotos/\"\n"
                                              "XDG_DOWNLOAD_DIR=\"$HOME/Ablage/Eingang\"\n");
        EXPECT_EQ(tildes(), (QStringList{u"~/Desktop"_s, u"~/Documents"_s, u"~/Ablage/Eingang"_s, u"/srv/Fotos"_s}));
        EXPECT_EQ(StandardFolders::path(Folder::pictures, u"/home/anna"_s), u"/srv/Fotos"_s);
        EXPECT_EQ(StandardFolders::path(Folder::desktop, u"/home/anna"_s), u"/home/anna/Desktop"_s);
        EXPECT_EQ(StandardFolders::name(Folder::downloads), u"Eingang"_s);
    }
}
