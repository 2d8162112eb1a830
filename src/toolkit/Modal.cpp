#include "toolkit/Modal.h"

#include <QDialog>

namespace {
TModalHandler& Handler() {
    static TModalHandler handler;
    return handler;
}
} // namespace

int ExecModal(QDialog& dialog) {
    if (Handler())
        return Handler()(dialog);
    return dialog.exec();
}

void SetModalHandler(TModalHandler handler) {
    Handler() = std::move(handler);
}
