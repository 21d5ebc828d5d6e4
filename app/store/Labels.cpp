#include "Labels.h"

#include <QCoreApplication>

namespace Labels {

QString title(DocumentKind kind)
{
    switch (kind) {
    case DocumentKind::invoice:
        return QCoreApplication::translate("DocumentKind", "Invoice");
    case DocumentKind::receipt:
        return QCoreApplication::translate("DocumentKind", "Receipt");
    case DocumentKind::contract:
        return QCoreApplication::translate("DocumentKind", "Contract");
    case DocumentKind::bankStatement:
        return QCoreApplication::translate("DocumentKind", "Bank statement");
    case DocumentKind::payslip:
        return QCoreApplication::translate("DocumentKind", "Payslip");
    case DocumentKind::letter:
        return QCoreApplication::translate("DocumentKind", "Letter");
    case DocumentKind::screenshot:
        return QCoreApplication::translate("DocumentKind", "Screenshot");
    case DocumentKind::photo:
        return QCoreApplication::translate("DocumentKind", "Photo");
    case DocumentKind::installer:
        return QCoreApplication::translate("DocumentKind", "Installer");
    case DocumentKind::other:
        return QCoreApplication::translate("DocumentKind", "Other");
    }
    return QString();
}

QString title(Condition::Field field)
{
    switch (field) {
    case Condition::Field::kind:
        return QCoreApplication::translate("Condition", "Kind");
    case Condition::Field::sender:
        return QCoreApplication::translate("Condition", "Sender");
    case Condition::Field::date:
        return QCoreApplication::translate("Condition", "Document date");
    case Condition::Field::amount:
        return QCoreApplication::translate("Condition", "Amount");
    case Condition::Field::fileType:
        return QCoreApplication::translate("Condition", "File type");
    case Condition::Field::name:
        return QCoreApplication::translate("Condition", "Name");
    case Condition::Field::age:
        return QCoreApplication::translate("Condition", "Age in days");
    case Condition::Field::size:
        return QCoreApplication::translate("Condition", "Size in MB");
    case Condition::Field::text:
        return QCoreApplication::translate("Condition", "Document text");
    }
    return QString();
}

QString title(Condition::Operator op)
{
    switch (op) {
    case Condition::Operator::is:
        return QCoreApplication::translate("Condition", "is");
    case Condition::Operator::isNot:
        return QCoreApplication::translate("Condition", "is not");
    case Condition::Operator::contains:
        return QCoreApplication::translate("Condition", "contains");
    case Condition::Operator::doesNotContain:
        return QCoreApplication::translate("Condition", "does not contain");
    case Condition::Operator::startsWith:
        return QCoreApplication::translate("Condition", "starts with");
    case Condition::Operator::endsWith:
        return QCoreApplication::translate("Condition", "ends with");
    case Condition::Operator::greaterThan:
        return QCoreApplication::translate("Condition", "is over");
    case Condition::Operator::lessThan:
        return QCoreApplication::translate("Condition", "is under");
    case Condition::Operator::before:
        return QCoreApplication::translate("Condition", "is before");
    case Condition::Operator::after:
        return QCoreApplication::translate("Condition", "is after");
    }
    return QString();
}

QString title(FileCategory category)
{
    switch (category) {
    case FileCategory::pdf:
        return QCoreApplication::translate("FileCategory", "PDF");
    case FileCategory::image:
        return QCoreApplication::translate("FileCategory", "Image");
    case FileCategory::screenshot:
        return QCoreApplication::translate("FileCategory", "Screenshot");
    case FileCategory::installer:
        return QCoreApplication::translate("FileCategory", "Installer (.deb, .AppImage)");
    case FileCategory::document:
        return QCoreApplication::translate("FileCategory", "Document");
    case FileCategory::archive:
        return QCoreApplication::translate("FileCategory", "Archive");
    case FileCategory::audio:
        return QCoreApplication::translate("FileCategory", "Audio");
    case FileCategory::video:
        return QCoreApplication::translate("FileCategory", "Video");
    }
    return QString();
}

} // namespace Labels
