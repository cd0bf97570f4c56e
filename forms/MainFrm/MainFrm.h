#pragma once

#include <Form.h>
#include <FormProvider.h>

namespace forms {

// The start-up window: the colour scheme list, the "Skin Enabled" box, the
// buttons that open the two demo windows, and Exit.
class MainFrm : public Form
{
    Q_OBJECT
public:
    explicit MainFrm(FormProvider &provider, QObject *parent = nullptr);

protected:
    QWidget *createWindow() override;
    void connectHandlers() override;
    void onLoad() override;

private:
    void onList1Click();
    void onCheck2Click();
    void onCommand3Click();
    void onCommand1Click();
    void onCommand2Click();
    void onFocusChange(qint16 &hasFocus);

    FormProvider &m_provider;
};

} // namespace forms
