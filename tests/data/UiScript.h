#pragma once
// Answers the modal dialogs of a test without any modal loop: message boxes
// are recorded and closed with OK, every other dialog takes the next
// scripted answer.
#include "Alerts.h"
#include "Forms.h"

#include <QLabel>
#include <QStringList>
#include <gtest/gtest.h>

#include <deque>
#include <functional>

class UiScript {
public:
    using Answer = std::function<int(QDialog&)>;

    UiScript()
    {
        ModalSeam::setRunner([this](QDialog& d) { return run(d); });
    }
    ~UiScript() { ModalSeam::reset(); }
    UiScript(const UiScript&) = delete;
    UiScript& operator=(const UiScript&) = delete;

    void answer(Answer a) { answers.push_back(std::move(a)); }
    void answer(int result)
    {
        answers.push_back([result](QDialog&) { return result; });
    }

    QStringList alerts;
    QStringList shown;   // object names of every dialog shown, in order
    std::deque<Answer> answers;

private:
    int run(QDialog& d)
    {
        shown << d.objectName();
        if (auto* alert = qobject_cast<Talertfrm*>(&d)) {
            alerts << alert->Msg->text();
            return mrOk;
        }
        if (answers.empty()) {
            ADD_FAILURE() << "a dialog was shown that the test did not expect: "
                          << d.objectName().toStdString();
            return mrCancel;
        }
        Answer a = std::move(answers.front());
        answers.pop_front();
        return a(d);
    }
};
