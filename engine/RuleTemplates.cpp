#include "RuleTemplates.h"

#include "StandardFolders.h"

#include <QUuid>

namespace RuleTemplates {

namespace {

Condition makeCondition(Condition::Field field, const QString &value)
{
    return Condition{QUuid::createUuid(), field, Condition::Operator::is, value};
}

RuleAction makeAction(RuleAction::Kind kind, const QString &value)
{
    return RuleAction{QUuid::createUuid(), kind, value};
}

Template make(const QString &id, Folder folder, const QString &name, const Condition &condition,
              const QList<RuleAction> &actions, const QStringList &roots)
{
    return Template{id, folder, Rule{QUuid::createUuid(), name, {condition}, actions, true, std::nullopt}, roots};
}

} // namespace

QList<Template> all(NameLanguage language)
{
    const bool de = language == NameLanguage::de;
    using Field = Condition::Field;
    using Kind = RuleAction::Kind;
    // The desktop's own folders: "~/Dokumente" where it names them so.
    const QString documents = StandardFolders::tilde(StandardFolders::Folder::documents);
    const QString pictures = StandardFolders::tilde(StandardFolders::Folder::pictures);

    QList<Template> templates;
    templates.append(make(QStringLiteral("receipts"), Folder::downloads,
                          de ? QStringLiteral("Belege") : QStringLiteral("Receipts"),
                          makeCondition(Field::kind, QStringLiteral("invoice,receipt")),
                          {makeAction(Kind::rename, QStringLiteral("{datum} {absender} {betrag} {waehrung}")),
                           makeAction(Kind::move, documents + (de ? QStringLiteral("/Belege/{jahr}/{monat}")
                                                                 : QStringLiteral("/Receipts/{jahr}/{monat}")))},
                          {documents}));
    templates.append(make(QStringLiteral("screenshots"), Folder::desktop,
                          de ? QStringLiteral("Bildschirmfotos") : QStringLiteral("Screenshots"),
                          makeCondition(Field::fileType, QStringLiteral("screenshot")),
                          {makeAction(Kind::move, pictures + QStringLiteral("/Screenshots/{jahr}-{monat}"))},
                          {pictures}));
    templates.append(make(QStringLiteral("installers"), Folder::downloads,
                          de ? QStringLiteral("Alte Installer") : QStringLiteral("Old installers"),
                          makeCondition(Field::fileType, QStringLiteral("installer")),
                          {makeAction(Kind::trashAfter, QStringLiteral("7"))}, {}));
    templates.append(make(QStringLiteral("letters"), Folder::downloads,
                          de ? QStringLiteral("Verträge und Briefe") : QStringLiteral("Contracts and letters"),
                          makeCondition(Field::kind, QStringLiteral("contract,letter")),
                          {makeAction(Kind::move, documents + (de ? QStringLiteral("/Ablage/{art}/{absender}")
                                                                 : QStringLiteral("/Filing/{art}/{absender}")))},
                          {documents}));
    templates.append(make(QStringLiteral("finance"), Folder::downloads,
                          de ? QStringLiteral("Kontoauszüge und Gehalt") : QStringLiteral("Statements and payslips"),
                          makeCondition(Field::kind, QStringLiteral("bankStatement,payslip")),
                          {makeAction(Kind::move, documents + (de ? QStringLiteral("/Finanzen/{art}/{jahr}")
                                                                 : QStringLiteral("/Finance/{art}/{jahr}")))},
                          {documents}));
    return templates;
}

} // namespace RuleTemplates
