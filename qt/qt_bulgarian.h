#pragma once

class QCoreApplication;

namespace pelmora::qt {

// Loads Qt's own texts in Bulgarian (a field's context menu, a message box's buttons) from
// Qt's translations folder, whatever the user's locale: the whole interface is Bulgarian.
// Returns false, and Qt keeps its English, when the translation is not installed.
bool LoadQtBulgarian(QCoreApplication& app);

}  // namespace pelmora::qt
