#pragma once

#include "resources.h"
#include "ui/fonts.h"

#include <QApplication>
#include <QtTest>

// QTEST_MAIN with the client's resources and font substitutions in place
// first, as the program has them.
#define QUORVIN_TEST_MAIN(TestObject)                                                                        \
    int main(int argc, char **argv)                                                                          \
    {                                                                                                        \
        QApplication app(argc, argv);                                                                        \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                             \
        quorvinInitResources();                                                                              \
        substituteFonts();                                                                                   \
        TestObject tc;                                                                                       \
        QTEST_SET_MAIN_SOURCE_PATH                                                                           \
        return QTest::qExec(&tc, argc, argv);                                                                \
    }
