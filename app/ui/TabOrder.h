// Tab order for views that make their controls anew (rows built again,
// cards moved). A widget made later joins its window's Tab order at the
// end, wherever it shows; chain puts such stops back where they stand.
#pragma once

#include <QList>

class QWidget;

namespace TabOrder {

// Puts stops one after the other in their window's Tab order, at the place
// of the one among them that comes first there now. Keep one stop the view
// does not make anew (a section's button) among them, so the place is the
// view's own.
void chain(const QList<QWidget *> &stops);

} // namespace TabOrder
