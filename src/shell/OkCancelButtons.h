#pragma once
// The OK and Cancel buttons of the editor's own dialogs.
class QDialog;
class QDialogButtonBox;

namespace quillory {

// Labelled "확인" and "취소", wired to accept and reject; the caller places them.
QDialogButtonBox* OkCancelButtons(QDialog& dialog);

}  // namespace quillory
