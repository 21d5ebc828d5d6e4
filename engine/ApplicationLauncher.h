// Opening a file with an application the user named in a rule: a path
// ("/usr/bin/gimp" or a .desktop file), a desktop entry id ("org.gnome.Evince"
// or "evince.desktop") found in the XDG application folders, or the name of
// an executable on PATH. The application is started detached.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace ApplicationLauncher {

// An application the desktop offers, from its desktop entry.
struct InstalledApplication
{
    QString id; // the desktop entry id, "org.gnome.Evince.desktop"
    QString name;
    QString icon; // an icon theme name or an absolute path; may be empty
};

// The applications of the XDG application folders that show in menus, each id
// once (the first folder wins), sorted by name. Reads the disk.
QList<InstalledApplication> installed();

// The program and arguments that open the file, empty when nothing is found.
QStringList command(const QString &file, const QString &application);

// Starts that command detached; false when nothing was found or it did not start.
bool open(const QString &file, const QString &application);

// The arguments of a desktop entry's Exec value with its field codes filled
// in for one file; the file is appended when the value names none.
QStringList execArguments(const QString &exec, const QString &file, const QString &desktopFile = QString(),
                          const QString &name = QString(), const QString &icon = QString());

} // namespace ApplicationLauncher
