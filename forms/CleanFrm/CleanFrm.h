#pragma once

#include <Form.h>

namespace forms {

// The menu demo window.
class CleanFrm : public Form
{
    Q_OBJECT
public:
    explicit CleanFrm(QObject *parent = nullptr);

protected:
    QWidget *createWindow() override;
    void onLoad() override;
};

} // namespace forms
