// For a widget that listens to its own controls: by the time the base
// destructors hide the window and delete the children, the widget's own
// members are gone, yet a focused control still says that its focus left
// (a typed day ended, a text finished) and a list still reports its scroll.
// Called first in the widget's destructor, this stops all of that reaching it.
#pragma once

class QObject;

namespace ChildSignals {

// Ends every connection from a descendant of `receiver` to `receiver`
// (slots and functions that have it as their context alike).
void stopReaching(QObject &receiver);

} // namespace ChildSignals
