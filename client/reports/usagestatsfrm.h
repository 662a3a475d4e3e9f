#pragma once
#include "Dataset.h"
#include "Forms.h"

// Never shown: holds the query the usage statistics re-use for each of
// their sections.
class Tusagestatsfrm : public TFormBase {
    Q_OBJECT
public:
    explicit Tusagestatsfrm(QWidget* parent = nullptr);

    // On the client's connection; left open on the last section's rows.
    Dataset query;
};

Tusagestatsfrm* UsageStatsForm();

// Writes the statistics of the whole database (bookings, users, items, the
// last maintenance run, the control row's message and this client's last
// booking attempt) into the logged-on user's report and shows the viewer.
void GenerateUsageReport();
