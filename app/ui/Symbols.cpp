#include "Symbols.h"

#include <QApplication>
#include <QHash>
#include <QPainter>
#include <QStandardPaths>
#include <QStyle>

namespace Symbols {

namespace {

struct Entry
{
    const char *theme;
    QStyle::StandardPixmap fallback;
};

const QHash<QString, Entry> &table()
{
    static const QHash<QString, Entry> entries{
        {QStringLiteral("tray.and.arrow.down"), {"folder-download", QStyle::SP_ArrowDown}},
        {QStringLiteral("list.bullet.rectangle"), {"view-list-details", QStyle::SP_FileDialogListView}},
        {QStringLiteral("clock.arrow.circlepath"), {"document-open-recent", QStyle::SP_BrowserReload}},
        {QStringLiteral("folder"), {"folder", QStyle::SP_DirIcon}},
        {QStringLiteral("folder.badge.plus"), {"folder-new", QStyle::SP_FileDialogNewFolder}},
        {QStringLiteral("folder.badge.questionmark"), {"folder-important", QStyle::SP_DirIcon}},
        {QStringLiteral("doc.text.magnifyingglass"), {"edit-find", QStyle::SP_FileDialogContentsView}},
        {QStringLiteral("text.magnifyingglass"), {"edit-find", QStyle::SP_FileDialogContentsView}},
        {QStringLiteral("apple.intelligence"), {"applications-science", QStyle::SP_ComputerIcon}},
        {QStringLiteral("doc.text"), {"x-office-document", QStyle::SP_FileIcon}},
        {QStringLiteral("doc"), {"text-x-generic", QStyle::SP_FileIcon}},
        {QStringLiteral("doc.on.doc"), {"edit-copy", QStyle::SP_FileIcon}},
        {QStringLiteral("receipt"), {"document-print", QStyle::SP_FileIcon}},
        {QStringLiteral("signature"), {"document-edit-sign", QStyle::SP_FileIcon}},
        {QStringLiteral("building.columns"), {"bank", QStyle::SP_DriveNetIcon}},
        {QStringLiteral("banknote"), {"wallet-open", QStyle::SP_FileIcon}},
        {QStringLiteral("envelope"), {"mail-message", QStyle::SP_FileIcon}},
        {QStringLiteral("camera.viewfinder"), {"camera-photo", QStyle::SP_DesktopIcon}},
        {QStringLiteral("photo"), {"image-x-generic", QStyle::SP_FileIcon}},
        {QStringLiteral("shippingbox"), {"package-x-generic", QStyle::SP_DriveCDIcon}},
        {QStringLiteral("plus"), {"list-add", QStyle::SP_FileDialogNewFolder}},
        {QStringLiteral("minus.circle"), {"list-remove", QStyle::SP_DialogDiscardButton}},
        {QStringLiteral("pencil"), {"document-edit", QStyle::SP_FileDialogDetailedView}},
        {QStringLiteral("chevron.left"), {"go-previous", QStyle::SP_ArrowLeft}},
        {QStringLiteral("chevron.right"), {"go-next", QStyle::SP_ArrowRight}},
        {QStringLiteral("square.and.arrow.up"), {"document-export", QStyle::SP_DialogSaveButton}},
        {QStringLiteral("arrow.uturn.backward"), {"edit-undo", QStyle::SP_ArrowBack}},
        {QStringLiteral("arrow.down.circle"), {"download", QStyle::SP_ArrowDown}},
        {QStringLiteral("arrow.up.forward.app"), {"document-open", QStyle::SP_DialogOpenButton}},
        {QStringLiteral("arrow.turn.down.right"), {"go-jump", QStyle::SP_ArrowRight}},
        {QStringLiteral("checkmark.circle"), {"emblem-default", QStyle::SP_DialogApplyButton}},
        {QStringLiteral("checkmark.circle.fill"), {"emblem-default", QStyle::SP_DialogApplyButton}},
        {QStringLiteral("exclamationmark.circle"), {"dialog-warning", QStyle::SP_MessageBoxWarning}},
        {QStringLiteral("info.circle"), {"dialog-information", QStyle::SP_MessageBoxInformation}},
        {QStringLiteral("pause.circle"), {"media-playback-pause", QStyle::SP_MediaPause}},
        {QStringLiteral("hand.raised"), {"dialog-information", QStyle::SP_MessageBoxInformation}},
        {QStringLiteral("lock.laptopcomputer"), {"system-lock-screen", QStyle::SP_ComputerIcon}},
        {QStringLiteral("character.cursor.ibeam"), {"insert-text", QStyle::SP_FileDialogDetailedView}},
        {QStringLiteral("text.quote"), {"format-text-blockquote", QStyle::SP_FileDialogDetailedView}},
        {QStringLiteral("gearshape"), {"preferences-system", QStyle::SP_FileDialogDetailedView}},
        {QStringLiteral("paintpalette"), {"preferences-desktop-color", QStyle::SP_DesktopIcon}},
        {QStringLiteral("trash"), {"user-trash", QStyle::SP_TrashIcon}},
        {QStringLiteral("forward"), {"media-seek-forward", QStyle::SP_MediaSeekForward}},
        {QStringLiteral("lock"), {"changes-prevent", QStyle::SP_MessageBoxWarning}},
        {QStringLiteral("magnifyingglass"), {"edit-find", QStyle::SP_FileDialogContentsView}},
        {QStringLiteral("sparkles"), {"starred", QStyle::SP_DialogYesButton}},
        {QStringLiteral("stethoscope"), {"help-about", QStyle::SP_MessageBoxInformation}},
        {QStringLiteral("tag"), {"tag", QStyle::SP_FileDialogInfoView}},
        {QStringLiteral("tray"), {"mail-inbox", QStyle::SP_DriveHDIcon}},
        {QStringLiteral("star"), {"starred", QStyle::SP_DialogYesButton}},
        {QStringLiteral("circle"), {"radio", QStyle::SP_DialogNoButton}},
    };
    return entries;
}

// One-coloured drawings where the theme's name plus "-symbolic" finds none.
const QHash<QString, QString> &symbolicNames()
{
    static const QHash<QString, QString> names{
        {QStringLiteral("list.bullet.rectangle"), QStringLiteral("view-list-bullet-symbolic")},
        {QStringLiteral("doc.text.magnifyingglass"), QStringLiteral("emblem-documents-symbolic")},
        {QStringLiteral("tag"), QStringLiteral("bookmark-new-symbolic")},
        {QStringLiteral("tray"), QStringLiteral("mail-unread-symbolic")},
        {QStringLiteral("envelope"), QStringLiteral("mail-unread-symbolic")},
        {QStringLiteral("text.quote"), QStringLiteral("format-text-plaintext-symbolic")},
        {QStringLiteral("folder.badge.questionmark"), QStringLiteral("folder-symbolic")},
        {QStringLiteral("circle"), QStringLiteral("radio-symbolic")},
    };
    return names;
}

// Drawings of our own, for symbols whose meaning no desktop icon carries
// (a raised hand is no "stop" sign).
QString bundled(const QString &symbol)
{
    static const QHash<QString, QString> drawings{
        {QStringLiteral("hand.raised"), QStringLiteral(":/symbols/hand.raised.svg")},
    };
    return drawings.value(symbol);
}

} // namespace

void useDesktopIcons()
{
    // Without a desktop's platform theme (offscreen, bare window managers)
    // Qt knows neither the icon folders nor a theme.
    QStringList paths = QIcon::themeSearchPaths();
    const QStringList found =
        QStandardPaths::locateAll(QStandardPaths::GenericDataLocation, QStringLiteral("icons"), QStandardPaths::LocateDirectory);
    for (const QString &folder : found) {
        if (!paths.contains(folder))
            paths.append(folder);
    }
    QIcon::setThemeSearchPaths(paths);
    if (QIcon::themeName().isEmpty())
        QIcon::setThemeName(QStringLiteral("hicolor"));
    QIcon::setFallbackThemeName(QStringLiteral("Adwaita"));
}

QString themeName(const QString &symbol)
{
    const auto it = table().constFind(symbol);
    return it == table().constEnd() ? QString() : QString::fromLatin1(it->theme);
}

QIcon icon(const QString &symbol)
{
    if (const QString drawing = bundled(symbol); !drawing.isEmpty())
        return QIcon(drawing);
    const auto it = table().constFind(symbol);
    if (it != table().constEnd()) {
        const QIcon themed = QIcon::fromTheme(QString::fromLatin1(it->theme));
        if (!themed.isNull() && !themed.availableSizes().isEmpty())
            return themed;
    }
    // The style's drawing, whose images are read from disk: once per style
    // and kind, not at every paint.
    const QStyle::StandardPixmap fallback = it == table().constEnd() ? QStyle::SP_FileIcon : it->fallback;
    QStyle *style = QApplication::style();
    if (!style)
        return {};
    static QHash<std::pair<const QStyle *, int>, QIcon> standard;
    const std::pair<const QStyle *, int> key{style, int(fallback)};
    auto found = standard.constFind(key);
    if (found == standard.constEnd())
        found = standard.insert(key, style->standardIcon(fallback));
    return *found;
}

QPixmap tinted(const QString &symbol, int size, const QColor &tint, qreal devicePixelRatio)
{
    // Our own drawing, else the theme's symbolic one where it has one: both
    // one-coloured by design.
    const QString drawing = bundled(symbol);
    QIcon source = drawing.isEmpty()
        ? QIcon::fromTheme(symbolicNames().value(symbol, themeName(symbol) + QStringLiteral("-symbolic")))
        : QIcon(drawing);
    if (source.isNull())
        source = icon(symbol);
    QPixmap pixmap = source.pixmap(QSize(size, size), devicePixelRatio);
    if (pixmap.isNull())
        return pixmap;
    QPainter painter(&pixmap);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(pixmap.rect(), tint);
    return pixmap;
}

} // namespace Symbols
