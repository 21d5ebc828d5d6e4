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

} // namespace Labels
