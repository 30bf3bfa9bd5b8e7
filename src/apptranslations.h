#pragma once

class QCoreApplication;

// Installs the program's own translation (":/res/client.qm") and, beside it,
// the toolkit's Chinese translations, so that the file dialogs, the context
// menus of the text fields and the toolkit's standard buttons speak the same
// language as the program. The translators belong to `app`. Returns whether
// the program's own translation loaded; a missing toolkit translation is
// logged and leaves the toolkit's English texts.
bool installAppTranslations(QCoreApplication *app);
