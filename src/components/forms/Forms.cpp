#include "components/forms/Forms.h"

#include <QList>
#include <QWidget>

namespace {

QList<QWidget *> &loadedForms()
{
    static QList<QWidget *> forms;
    return forms;
}

}  // namespace

void Forms::Load(QWidget *form)
{
    if (loadedForms().contains(form))
        return;
    loadedForms().append(form);
    QObject::connect(form, &QObject::destroyed, [form] { loadedForms().removeAll(form); });
}

int Forms::Count() { return static_cast<int>(loadedForms().size()); }

QWidget *Forms::Item(int index) { return loadedForms().value(index); }

void Forms::Unload(QWidget *form)
{
    loadedForms().removeAll(form);
    form->hide();
    form->deleteLater();
}
