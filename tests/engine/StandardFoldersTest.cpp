#include "StandardFolders.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
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

TEST(StandardFolders, OnlyTheFileFormsCountAndAHomeFormMustStayBelowTheHome)
{
    const QString home = QDir::cleanPath(QDir::homePath());
    {
        // Above the home, "$HOME" not followed by "/", a Qt resource path and
        // a relative one: none is a folder of the file's forms.
        const TestSupport::ScopedUserDirs broken("XDG_DOCUMENTS_DIR=\"$HOME/..\"\n"
                                                 "XDG_DOWNLOAD_DIR=\"$HOMEx/Downloads\"\n"
                                                 "XDG_DESKTOP_DIR=\":/Dokumente\"\n"
                                                 "XDG_PICTURES_DIR=\"Bilder\"\n");
        EXPECT_EQ(tildes(), (QStringList{u"~/Desktop"_s, u"~/Documents"_s, u"~/Downloads"_s, u"~/Pictures"_s}));
        EXPECT_EQ(StandardFolders::path(Folder::desktop, u"/home/anna"_s), u"/home/anna/Desktop"_s);
        EXPECT_EQ(StandardFolders::name(Folder::desktop), u"Desktop"_s);
    }
    {
        // "." and ".." resolved, the home form counts while it stays below the
        // home; an absolute path counts as written, even on another disk; the
        // shell's escapes in double quotes are read; the last line counts.
        const TestSupport::ScopedUserDirs resolved(
            "XDG_DOCUMENTS_DIR=\"$HOME/./Ablage/../Dokumente/\"\n"
            "XDG_DESKTOP_DIR=\"$HOME/../" + QFileInfo(home).fileName().toUtf8() + "/Schreibtisch\"\n"
            "XDG_DOWNLOAD_DIR=\"/srv/Platte/../Downloads\"\n"
            "XDG_PICTURES_DIR=\"$HOME/Bilder\"\n"
            "XDG_PICTURES_DIR=\"$HOME/Fotos \\\"alt\\\" \\$1\"\n");
        EXPECT_EQ(tildes(), (QStringList{u"~/Schreibtisch"_s, u"~/Dokumente"_s, u"/srv/Downloads"_s,
                                         u"~/Fotos \"alt\" $1"_s}));
    }
    {
        // Read as the desktop reads the file: only a value in double quotes
        // counts, up to the line's last one, blanks around "=" allowed; a
        // value holding a NUL or another control character, or without
        // quotes, counts for nothing and leaves an earlier line standing.
        static const char lines[] = "XDG_PICTURES_DIR=\"/srv/ablage\0junk\"\n"
                                    "XDG_DOCUMENTS_DIR=$HOME/Dokumente # mine\n"
                                    "  XDG_DESKTOP_DIR = \"$HOME/Schreibtisch\" # \"alt\n"
                                    "XDG_DOWNLOAD_DIR=\"$HOME/Ablage\"\n"
                                    "XDG_DOWNLOAD_DIR=\"$HOME/Ab\tlage\"\n"
                                    "XDG_DOWNLOAD_DIR=$HOME/Anders\n";
        const TestSupport::ScopedUserDirs glib(QByteArray(lines, sizeof(lines) - 1));
        EXPECT_EQ(tildes(), (QStringList{u"~/Schreibtisch\" # "_s, u"~/Documents"_s, u"~/Ablage"_s, u"~/Pictures"_s}));
    }
    {
        // Home itself, however written, switches the folder off; so does the root.
        const TestSupport::ScopedUserDirs off("XDG_DOCUMENTS_DIR=\"$HOME/Ablage/..\"\n"
                                              "XDG_DESKTOP_DIR=\"" + QFile::encodeName(home) + "\"\n"
                                              "XDG_DOWNLOAD_DIR=\"/\"\n");
        EXPECT_EQ(tildes(), (QStringList{u"~/Desktop"_s, u"~/Documents"_s, u"~/Downloads"_s, u"~/Pictures"_s}));
    }
}
