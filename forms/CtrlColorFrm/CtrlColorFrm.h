#pragma once

#include <Form.h>

namespace forms {

// The control colour demo window.
class CtrlColorFrm : public Form
{
    Q_OBJECT
public:
    explicit CtrlColorFrm(QObject *parent = nullptr);

protected:
    QWidget *createWindow() override;
    void onLoad() override;
};

} // namespace forms
