#pragma once

#include "apptranslations.h"
#include "resources.h"
#include "ui/fonts.h"

#include <QApplication>
#include <QtTest>

// QTEST_MAIN with the client's resources and font substitutions in place
// first, as the program has them. A run that takes the README's screenshots
// (QUORVIN_SCREENSHOT_DIR set) also has the program's translations, so the
// windows are built in Chinese as authors see them.
#define QUORVIN_TEST_MAIN(TestObject)                                                                        \
    int main(int argc, char **argv)                                                                          \
    {                                                                                                        \
        /* as the program does: the web engine is loaded after the application */                            \
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);                                          \
        QApplication app(argc, argv);                                                                        \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                             \
        quorvinInitResources();                                                                              \
        substituteFonts();                                                                                   \
        if (qEnvironmentVariableIsSet("QUORVIN_SCREENSHOT_DIR"))                                             \
            installAppTranslations(&app);                                                                    \
        TestObject tc;                                                                                       \
        QTEST_SET_MAIN_SOURCE_PATH                                                                           \
        return QTest::qExec(&tc, argc, argv);                                                                \
    }
