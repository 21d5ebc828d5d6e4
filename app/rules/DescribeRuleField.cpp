#include "DescribeRuleField.h"

#include "AppModel.h"
#include "Appearance.h"
#include "Autopilot.h"
#include "ControlEdge.h"
#include "DraftHandOver.h"
#include "FocusPlace.h"
#include "FocusRing.h"
#include "GridProbes.h"
#include "ModelStatusText.h"
#include "Roles.h"
#include "RuleDrafter.h"
#include "Symbols.h"
#include "ThemeStore.h"
#include "Whitespace.h"

#include <QEvent>
#include <QPainter>
#include <QPainterPath>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

namespace {
constexpr int symbolSize = 18;
constexpr qreal boxRadius = 12;
constexpr int progressWidth = 60;

// The sentence's line. A line edit passes its Return on to the window after
// it has acted on it; here Return has drafted (or found nothing to draft),
// and by then the focus may wait on "Stop": the window must not press
// that with the same key.
class SentenceEdit : public QLineEdit
{
public:
    using QLineEdit::QLineEdit;

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        QLineEdit::keyPressEvent(event);
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
            event->accept();
    }
};
} // namespace

DescribeRuleField::DescribeRuleField(AppModel &model, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_drafter([](const QString &sentence, std::stop_token stop) { return RuleDrafter::draft(sentence, std::move(stop)); })
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);

    m_box = new QWidget(this);
    m_box->setObjectName(QStringLiteral("describeBox"));
    auto *box = new QHBoxLayout(m_box);
    box->setContentsMargins(12, 12, 12, 12);
    box->setSpacing(8);
    m_symbol = new QLabel(m_box);
    box->addWidget(m_symbol);

    m_edit = new SentenceEdit(m_box);
    m_edit->setObjectName(QStringLiteral("sentence"));
    m_edit->setFrame(false);
    m_edit->setPlaceholderText(
        tr("Describe what should happen, like \u201CInvoices from Downloads to Documents/Invoices by year\u201D"));
    connect(m_edit, &QLineEdit::returnPressed, this, &DescribeRuleField::draft);
    connect(m_edit, &QLineEdit::textChanged, this, &DescribeRuleField::refresh);
    m_edit->installEventFilter(this);
    FocusRing::wornBy(m_edit, m_box);
    box->addWidget(m_edit, 1);

    m_buttons = new QStackedWidget(m_box);
    m_make = new QPushButton(tr("Make Rule"), m_buttons);
    m_make->setObjectName(QStringLiteral("make"));
    connect(m_make, &QPushButton::clicked, this, &DescribeRuleField::draft);
    m_buttons->addWidget(m_make);
    auto *working = new QWidget(m_buttons);
    auto *workingLayout = new QHBoxLayout(working);
    workingLayout->setContentsMargins(0, 0, 0, 0);
    m_progress = new QProgressBar(working);
    m_progress->setRange(0, 0);
    m_progress->setTextVisible(false);
    m_progress->setFixedWidth(progressWidth);
    workingLayout->addWidget(m_progress);
    m_stop = new QPushButton(tr("Stop"), working);
    m_stop->setObjectName(QStringLiteral("stop"));
    m_stop->setToolTip(tr("Stop making this rule"));
    connect(m_stop, &QPushButton::clicked, this, &DescribeRuleField::cancel);
    workingLayout->addWidget(m_stop);
    m_buttons->addWidget(working);
    m_buttons->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
    box->addWidget(m_buttons);
    layout->addWidget(m_box);
    gridProbe(m_box, QStringLiteral("describe"), QStringLiteral("rules"), QStringLiteral("lead"));

    // Keys typed on after the model went away, or after a draft ended
    // without one, stay in the box's place; the sentence takes them again
    // once it can.
    FocusRing::drawnByItself(m_box);
    m_place = new FocusPlace(m_box);
    for (QWidget *control : {static_cast<QWidget *>(m_edit), static_cast<QWidget *>(m_make), static_cast<QWidget *>(m_stop)})
        m_place->keep(control, m_box);
    m_place->returnTo(m_edit, [this] { m_edit->end(false); });
    m_place->installEventFilter(this);

    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("status"));
    m_status->setWordWrap(true);
    Roles::setFont(m_status, Roles::Font::callout);
    Roles::setSecondary(m_status);
    layout->addWidget(m_status);
    connect(&ThemeStore::instance(), &ThemeStore::changed, this, &DescribeRuleField::refreshSymbol);
    refreshSymbol();

    connect(&m_model.autopilot(), &Autopilot::modelStatusChanged, this, &DescribeRuleField::refresh);
    connect(&m_model, &AppModel::describeFocusChanged, this, [this] {
        m_edit->setFocus(Qt::OtherFocusReason);
    });
    refresh();
}

DescribeRuleField::~DescribeRuleField()
{
    cancel();
}

void DescribeRuleField::paintEvent(QPaintEvent *)
{
    // The box stands on the secondary background, rounded; its fill alone
    // barely differs from the page.
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box(m_box->geometry());
    QPainterPath path;
    path.addRoundedRect(box, boxRadius, boxRadius);
    painter.fillPath(path, Roles::secondaryBackground(palette()));
    if (m_edit->hasFocus() || m_place->hasFocus()) {
        // The field has no frame: the box wears the ring in place of its
        // edge, a pixel in from where the edge was, so that the edge's
        // pixels turn to fill and the ring's to the ring's colour, each a
        // plain change, and the box keeps its size and place.
        const qreal gap = 1;
        FocusRing::paint(painter, box.adjusted(gap, gap, -gap, -gap), FocusRing::colour(palette()),
                         boxRadius - gap - FocusRing::width / 2);
    } else if (m_edit->isEnabled()) {
        // A field that cannot be typed in (no model, a draft under way)
        // keeps no edge.
        ControlEdge::paint(painter, box, ControlEdge::colour(palette()), boxRadius - 0.5);
    }
}

bool DescribeRuleField::eventFilter(QObject *watched, QEvent *event)
{
    if ((watched == m_edit || watched == m_place)
        && (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut
            || event->type() == QEvent::EnabledChange))
        update();
    return QWidget::eventFilter(watched, event);
}

void DescribeRuleField::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        refreshSymbol();
}

void DescribeRuleField::refreshSymbol()
{
    m_symbol->setPixmap(Symbols::tinted(QStringLiteral("apple.intelligence"), symbolSize,
                                        ThemeStore::instance().theme().accentText(Appearance::active(palette())),
                                        devicePixelRatioF()));
}

QString DescribeRuleField::text() const
{
    return m_edit->text();
}

QString DescribeRuleField::statusText() const
{
    const ModelStatus status = m_model.autopilot().modelStatus();
    if (!status.isAvailable())
        return ModelStatusText::text(status);
    if (m_failure)
        return *m_failure;
    return tr("You get a draft to check. It only runs after you accept it.");
}

void DescribeRuleField::draft()
{
    const QString sentence = Whitespace::trimmed(m_edit->text()).toString();
    if (sentence.isEmpty() || !m_model.autopilot().modelStatus().isAvailable() || m_working)
        return;
    const bool focusInBox = hasFocusInBox();
    m_working = true;
    m_failure.reset();
    m_draftStop = std::stop_source();
    m_watcher = new QFutureWatcher<std::optional<Rule>>(this);
    connect(m_watcher, &QFutureWatcherBase::finished, this, &DescribeRuleField::finished);
    m_watcher->setFuture(QtConcurrent::run(&m_pool, [drafter = m_drafter, sentence, stop = m_draftStop.get_token()]() -> std::optional<Rule> {
        try {
            return drafter(sentence, stop);
        } catch (...) {
            // Whatever went wrong, the field says the same.
            return std::nullopt;
        }
    }));
    refresh();
    // The field is off while the model works; the focus waits on "Stop".
    if (focusInBox)
        m_stop->setFocus(Qt::OtherFocusReason);
}

void DescribeRuleField::cancel()
{
    if (!m_watcher)
        return;
    // The request ends at once, and its worker with it (the field's end
    // waits for that worker); nobody listens to it any more.
    m_draftStop.request_stop();
    m_watcher->disconnect(this);
    m_watcher->deleteLater();
    m_watcher = nullptr;
    const bool focusInBox = hasFocusInBox();
    m_working = false;
    refresh();
    if (focusInBox)
        returnFocus();
}

void DescribeRuleField::finished()
{
    const std::optional<Rule> rule = m_watcher->result();
    m_watcher->deleteLater();
    m_watcher = nullptr;
    if (rule) {
        const QList<WatchedFolder> watched = m_model.watchedFolders();
        const std::optional<QUuid> folderID =
            watched.isEmpty() ? std::nullopt : std::optional<QUuid>(watched.constFirst().uuid);
        DraftHandOver::deliver(m_model, AppModel::Editing{QUuid::createUuid(), *rule, folderID, true});
        m_edit->clear();
    } else {
        m_failure = tr("The local language model could not turn this into a rule. Try a shorter sentence, or build "
                       "the rule with Ctrl+N.");
    }
    const bool focusInBox = hasFocusInBox();
    m_working = false;
    refresh();
    if (focusInBox)
        returnFocus();
}

bool DescribeRuleField::hasFocusInBox() const
{
    const QWidget *focused = window()->focusWidget();
    return focused && m_box->isAncestorOf(focused);
}

void DescribeRuleField::returnFocus()
{
    // A sentence that stays is there for editing, an empty field for the
    // next one: the next letters land in it, never on a button that would
    // send the sentence again.
    if (!m_edit->isEnabled())
        return;
    m_edit->setFocus(Qt::OtherFocusReason);
    m_edit->end(false);
}

void DescribeRuleField::refresh()
{
    const bool available = m_model.autopilot().modelStatus().isAvailable();
    m_buttons->setCurrentIndex(m_working ? 1 : 0);
    m_place->enable(m_edit, available && !m_working);
    m_place->enable(m_make, available && !Whitespace::trimmed(m_edit->text()).isEmpty());
    m_status->setText(statusText());
}
