#pragma once
#include "Database.h"
#include "Dataset.h"

#include <QObject>

// The fixed name of the hidden template user whose level, expiry, type and
// rights every new account receives. The angle brackets make it a name no
// operating-system account and no typed log-on can have.
inline const QString ProfileUserName = QStringLiteral("<DEFAULT>");

// The connection and the datasets over the shared database: the system's
// only road to its data. The client's main window holds one; the extender
// and the importer create one of their own.
class DataModule : public QObject {
    Q_OBJECT
public:
    explicit DataModule(QObject* parent = nullptr);
    ~DataModule() override;

    // Opens the connection to the database file (throws DbError).
    void connectTo(const QString& filePath);
    // Opens every table (the rows are read on first use).
    void openTables();
    // Closes every dataset and the connection.
    void closeAll();

    Database ADOConnection;

    // Tables.
    Dataset UserTable;
    Dataset SystemTable;
    Dataset ConfigTable;
    Dataset PeriodsTable;
    Dataset catergoriestable;
    Dataset itemstable;
    Dataset BookingsTable;

    // Queries.
    Dataset ProfileUser;        // the template user
    Dataset NonHiddenUsers;     // every user but hidden ones, by name
    Dataset DisplayItems;       // available items of one category (param tmpcatergory)
    Dataset ActiveCatergories;  // the categories that items name
    Dataset Cache;              // free use
    Dataset BookQuery;          // one booking slot, rebuilt at every use
    Dataset UpdateQuery;        // free use

    // Data sources for the data-aware controls.
    DataSource UserProfileDataQuery;
    DataSource PeriodsDataSource;
    DataSource CatergoriesDataSource;
    DataSource itemsdatasource;
    DataSource DisplayItemsDataSource;
    DataSource BookingsTableDataSource;
    DataSource ActiveCatergoriesDataSource;
    DataSource ProfileUserDataSrouce;

    QList<Dataset*> allDatasets();
};

// The data module the data routines work on (the process has one; tests
// may install a second one to act as another client).
DataModule& DM();
void SetDM(DataModule* dm);
bool HasDM();
