#include "OnboardingView.h"

#include "AppModel.h"
#include "Autopilot.h"
#include "FocusPlace.h"
#include "FollowsFocusArea.h"
#include "ModelStatusLine.h"
#include "Notifier.h"
#include "Prefs.h"
#include "ProminentButton.h"
#include "RealHome.h"
#include "Roles.h"
#include "RuleSentence.h"
#include "RuleTemplates.h"
#include "StandardFolders.h"
#include "StarterRuleToggle.h"
#include "SymbolLabel.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QStyle>
#include <QVBoxLayout>

namespace {

constexpr char16_t onboardedKey[] = u"onboarded";

// The starter rules switched on when the sheet opens.
const QSet<QString> &initialTemplates()
{
    static const QSet<QString> ids{QStringLiteral("receipts"), QStringLiteral("screenshots"),
                                   QStringLiteral("installers")};
    return ids;
}

QLabel *textLabel(const QString &text, QWidget *parent, Roles::Font font = Roles::Font::body, bool secondary = false)
{
    auto *label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    Roles::setFont(label, font);
    if (secondary)
        Roles::setSecondary(label);
    return label;
}

// The welcome page's large title.
QLabel *largeTitle(const QString &text, QWidget *parent)
{
    QLabel *label = textLabel(text, parent);
    QFont font = label->font();
    font.setPointSizeF(font.pointSizeF() + 12);
    font.setWeight(QFont::DemiBold);
    label->setFont(font);
    return label;
}

std::optional<WatchedFolder> firstNamed(const QList<WatchedFolder> &folders, const QString &name)
{
    for (const WatchedFolder &folder : folders) {
        if (folder.name() == name)
            return folder;
    }
    return std::nullopt;
}

} // namespace

OnboardingView::OnboardingView(AppModel &model, QWidget *parent)
    : Sheet(parent)
    , m_model(model)
    , m_templates(initialTemplates())
{
    setObjectName(QStringLiteral("onboarding"));
    setWindowTitle(tr("Set Up Filewright"));
    setFixedSize(600, 520);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_pages = new QStackedWidget(this);
    for (QWidget *page : {welcomePage(), foldersPage(), rulesPage(), notificationsPage()}) {
        page->layout()->setContentsMargins(32, 32, 32, 32);
        // The sheet keeps its size: a page taller than its room (the starter
        // rules at a larger font) scrolls, with the focused control in view.
        auto *area = new FollowsFocusArea(m_pages);
        area->setFrameShape(QFrame::NoFrame);
        area->setWidgetResizable(true);
        area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        area->setWidget(page);
        m_pages->addWidget(area);
    }
    layout->addWidget(m_pages, 1);

    auto *divider = new QFrame(this);
    divider->setFrameShape(QFrame::HLine);
    divider->setFrameShadow(QFrame::Sunken);
    layout->addWidget(divider);

    auto *footer = new QHBoxLayout;
    footer->setContentsMargins(16, 16, 16, 16);
    // The page's spacing of 0 would put "Back" against "Continue".
    footer->setSpacing(style()->pixelMetric(QStyle::PM_LayoutHorizontalSpacing));
    m_stepText = textLabel(QString(), this, Roles::Font::body, true);
    m_stepText->setObjectName(QStringLiteral("stepText"));
    footer->addWidget(m_stepText);
    footer->addStretch();
    m_back = new QPushButton(tr("Back"), this);
    m_back->setObjectName(QStringLiteral("back"));
    m_back->setAutoDefault(false);
    connect(m_back, &QPushButton::clicked, this, [this] { goTo(m_step - 1); });
    footer->addWidget(m_back);
    m_forward = new ProminentButton(QString(), this);
    m_forward->setObjectName(QStringLiteral("forward"));
    m_forward->setDefault(true);
    connect(m_forward, &QPushButton::clicked, this, &OnboardingView::forward);
    footer->addWidget(m_forward);
    layout->addLayout(footer);

    // "Back" gone on the first page, "Allow Notifications…" gone off once
    // asked: the focus stays where the button was, so that Space does not
    // go on to press the next button ("Continue", "Start").
    m_place = new FocusPlace(this);
    m_place->keep(m_back, m_stepText);
    m_place->keep(m_askButton);

    connect(&m_model.autopilot(), &Autopilot::modelStatusChanged, this, &OnboardingView::refreshModelStatus);
    refreshModelStatus();
    goTo(0);
}

QWidget *OnboardingView::welcomePage()
{
    auto *page = new QWidget(this);
    auto *layout = new QVBoxLayout(page);
    layout->setSpacing(16);
    auto *welcome = new SymbolLabel(QStringLiteral("tray.and.arrow.down"), 44, SymbolLabel::Tint::accentText, page);
    welcome->setObjectName(QStringLiteral("welcomeSymbol"));
    welcome->setFixedSize(44, 44);
    layout->addWidget(welcome);
    layout->addWidget(largeTitle(tr("Welcome to Filewright"), page));
    layout->addWidget(textLabel(
        tr("Filewright reads the new files in the folders you choose, recognizes what they are and files them by "
           "your rules."),
        page, Roles::Font::title3));
    auto *points = new QVBoxLayout;
    points->setSpacing(12);
    const std::pair<QString, QString> lines[] = {
        {tr("Everything happens on this computer. No file and no text leaves it."),
         QStringLiteral("lock.laptopcomputer")},
        {tr("Every rule shows as a sentence, with a dry run before it runs."), QStringLiteral("text.quote")},
        {tr("Every step lands in the journal and can be undone."), QStringLiteral("arrow.uturn.backward")},
    };
    for (const auto &[text, symbol] : lines) {
        auto *row = new QHBoxLayout;
        row->setSpacing(8);
        auto *mark = new SymbolLabel(symbol, 16, SymbolLabel::Tint::secondary, page);
        mark->setFixedSize(16, 16);
        row->addWidget(mark, 0, Qt::AlignTop);
        row->addWidget(textLabel(text, page, Roles::Font::body, true), 1);
        points->addLayout(row);
    }
    layout->addLayout(points);
    layout->addStretch();
    return page;
}

QWidget *OnboardingView::foldersPage()
{
    auto *page = new QWidget(this);
    auto *layout = new QVBoxLayout(page);
    layout->setSpacing(16);
    layout->addWidget(textLabel(tr("Which folders should Filewright watch?"), page, Roles::Font::title2));
    layout->addWidget(textLabel(tr("You pick each folder once. Filewright only looks at the new files there and "
                                   "never deletes anything for good."),
                                page, Roles::Font::body, true));
    layout->addWidget(folderChoice(Row::downloads, tr("Downloads"), tr("Invoices, installers, and other downloads.")));
    layout->addWidget(folderChoice(Row::desktop, tr("Desktop"), tr("Screenshots land here.")));
    auto *divider = new QFrame(page);
    divider->setFrameShape(QFrame::HLine);
    divider->setFrameShadow(QFrame::Sunken);
    layout->addWidget(divider);
    m_status = new ModelStatusLine(m_model.autopilot().modelStatus(), ModelStatusLine::Look::plain, page);
    layout->addWidget(m_status);
    layout->addStretch();
    return page;
}

QWidget *OnboardingView::folderChoice(Row row, const QString &title, const QString &detail)
{
    auto *widget = new QWidget(this);
    widget->setObjectName(row == Row::downloads ? QStringLiteral("downloadsRow") : QStringLiteral("desktopRow"));
    auto *layout = new QHBoxLayout(widget);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(12);
    FolderRow parts;
    parts.symbol = new SymbolLabel(QStringLiteral("folder"), 22, SymbolLabel::Tint::secondary, widget);
    parts.symbol->setObjectName(QStringLiteral("folderSymbol"));
    parts.symbol->setFixedSize(28, 28);
    layout->addWidget(parts.symbol);
    auto *texts = new QVBoxLayout;
    texts->setSpacing(2);
    texts->addWidget(textLabel(title, widget, Roles::Font::headline));
    texts->addWidget(textLabel(detail, widget, Roles::Font::body, true));
    layout->addLayout(texts, 1);
    parts.button = new QPushButton(widget);
    parts.button->setObjectName(QStringLiteral("choose"));
    parts.button->setAutoDefault(false);
    connect(parts.button, &QPushButton::clicked, this, [this, row] { choose(row); });
    layout->addWidget(parts.button);
    m_rows.insert(row, parts);
    return widget;
}

QWidget *OnboardingView::rulesPage()
{
    auto *page = new QWidget(this);
    auto *layout = new QVBoxLayout(page);
    layout->setSpacing(12);
    layout->addWidget(textLabel(tr("Start with these rules?"), page, Roles::Font::title2));
    layout->addWidget(
        textLabel(tr("They start switched on. You can change or remove each one later."), page, Roles::Font::body, true));
    for (const RuleTemplates::Template &entry : RuleTemplates::all(Prefs::nameTemplate().language)) {
        auto *toggle = new StarterRuleToggle(entry.rule.name, page);
        toggle->setObjectName(entry.id);
        const QString id = entry.id;
        connect(toggle, &QCheckBox::toggled, this, [this, id](bool on) {
            if (on)
                m_templates.insert(id);
            else
                m_templates.remove(id);
        });
        layout->addWidget(toggle);
        m_toggles.insert(entry.id, toggle);
    }
    layout->addStretch();
    return page;
}

QWidget *OnboardingView::notificationsPage()
{
    auto *page = new QWidget(this);
    auto *layout = new QVBoxLayout(page);
    layout->setSpacing(16);
    layout->addWidget(textLabel(tr("Tell you when it files something?"), page, Roles::Font::title2));
    layout->addWidget(textLabel(tr("A short notification says what Filewright read and where the file went, and "
                                   "when a file waits for you to check it."),
                                page, Roles::Font::body, true));
    m_askButton = new QPushButton(tr("Allow Notifications…"), page);
    m_askButton->setObjectName(QStringLiteral("allowNotifications"));
    m_askButton->setAutoDefault(false);
    connect(m_askButton, &QPushButton::clicked, this, &OnboardingView::askNotifications);
    layout->addWidget(m_askButton, 0, Qt::AlignLeft);
    layout->addWidget(textLabel(
        tr("Rules that file into Documents or Pictures ask for access to those folders on their card."), page,
        Roles::Font::body, true));
    layout->addStretch();
    return page;
}

void OnboardingView::keyPressEvent(QKeyEvent *event)
{
    // The keys that cancel a sheet do nothing here: the onboarding ends
    // through "Start".
    if (event->matches(QKeySequence::Cancel)
        || event->keyCombination() == QKeyCombination(Qt::ControlModifier, Qt::Key_W)) {
        event->accept();
        return;
    }
    Sheet::keyPressEvent(event);
}

void OnboardingView::showEvent(QShowEvent *event)
{
    Sheet::showEvent(event);
    discoverFolders();
}

void OnboardingView::discoverFolders()
{
    // Exact names only, as the desktop names the folders ("Schreibtisch" on a
    // German one): "downloads" in lower case, or a place, is not the Downloads folder.
    m_downloads = firstNamed(m_model.watchedFolders(), StandardFolders::name(StandardFolders::Folder::downloads));
    m_desktop = firstNamed(m_model.watchedFolders(), StandardFolders::name(StandardFolders::Folder::desktop));
    refreshFolders();
}

void OnboardingView::choose(Row row)
{
    const QString suggested = StandardFolders::path(
        row == Row::downloads ? StandardFolders::Folder::downloads : StandardFolders::Folder::desktop, RealHome::path());
    // A cancelled dialog keeps the folder chosen before.
    if (std::optional<WatchedFolder> chosen = m_model.chooseFolder(true, suggested)) {
        (row == Row::downloads ? m_downloads : m_desktop) = std::move(chosen);
        refreshFolders();
    }
}

void OnboardingView::refreshFolders()
{
    for (auto it = m_rows.cbegin(); it != m_rows.cend(); ++it) {
        const bool chosen = (it.key() == Row::downloads ? m_downloads : m_desktop).has_value();
        if (chosen)
            it->symbol->setSymbol(QStringLiteral("checkmark.circle.fill"), SymbolLabel::Tint::accentText);
        else
            it->symbol->setSymbol(QStringLiteral("folder"), SymbolLabel::Tint::secondary);
        it->button->setText(chosen ? tr("Change…") : tr("Choose…"));
    }
    const NameLanguage language = Prefs::sentenceLanguage();
    for (const RuleTemplates::Template &entry : RuleTemplates::all(Prefs::nameTemplate().language)) {
        StarterRuleToggle *toggle = m_toggles.value(entry.id);
        if (!toggle)
            continue;
        const bool onDesktop = entry.folder == RuleTemplates::Folder::desktop;
        const std::optional<WatchedFolder> &folder = onDesktop ? m_desktop : m_downloads;
        const QString folderName = folder ? folder->name()
                                          : StandardFolders::name(onDesktop ? StandardFolders::Folder::desktop
                                                                            : StandardFolders::Folder::downloads);
        toggle->setSentence(RuleSentence::make(entry.rule, folderName, language));
        const QSignalBlocker blocker(toggle);
        toggle->setChecked(m_templates.contains(entry.id));
        // A switch keeps its state while its folder is missing.
        toggle->setEnabled(folder.has_value());
    }
}

void OnboardingView::refreshModelStatus()
{
    m_status->setStatus(m_model.autopilot().modelStatus());
}

void OnboardingView::goTo(int step)
{
    m_step = std::clamp(step, 0, steps - 1);
    m_pages->setCurrentIndex(m_step);
    m_stepText->setText(tr("Step %1 of %2").arg(m_step + 1).arg(steps));
    m_back->setVisible(m_step > 0);
    m_forward->setText(m_step == steps - 1 ? tr("Start") : tr("Continue"));
}

void OnboardingView::forward()
{
    if (m_step == steps - 1)
        finish();
    else
        goTo(m_step + 1);
}

void OnboardingView::finish()
{
    // A starter rule whose folder was not chosen is left out: stored without
    // a folder it would run on every folder, although its switch was off-limits.
    QSet<QString> chosen;
    for (const RuleTemplates::Template &entry : RuleTemplates::all(Prefs::nameTemplate().language)) {
        const bool onDesktop = entry.folder == RuleTemplates::Folder::desktop;
        if (m_templates.contains(entry.id) && (onDesktop ? m_desktop : m_downloads))
            chosen.insert(entry.id);
    }
    m_model.addTemplates(chosen, m_downloads, m_desktop);
    Prefs::setValue(QString::fromUtf16(onboardedKey), true);
    m_model.autopilot().restart();
    accept();
}

void OnboardingView::askNotifications()
{
    m_notificationsAsked = true;
    m_askButton->setText(tr("Asked"));
    m_place->enable(m_askButton, false);
    // No permission step exists here: one notification shows that they arrive.
    const Notifier sessionNotifier;
    (m_notifier ? *m_notifier : sessionNotifier)
        .post(tr("Filewright"), tr("Notifications are on. Filewright tells you here when it files something."));
}
