#pragma once

class QLabel;
class QListView;
class QString;
class QWidget;

// Pieces the two book dialogs share.
namespace BookDialogParts {

const int kNameMaxLength = 15;

// A grid of the system covers (72 x 96 with a 20 x 20 selection tick).
QListView *coverList(QWidget *parent);
QLabel *fieldLabel(const QString &text, QWidget *parent);

} // namespace BookDialogParts
