#include "DataModule.h"
#include "DbError.h"

namespace {
DataModule* g_dm = nullptr;
}

DataModule& DM()
{
    if (!g_dm)
        throw DbError(QStringLiteral("The data module has not been created."));
    return *g_dm;
}

void SetDM(DataModule* dm) { g_dm = dm; }
bool HasDM() { return g_dm != nullptr; }

DataModule::DataModule(QObject* parent)
    : QObject(parent)
    , UserTable(&ADOConnection)
    , SystemTable(&ADOConnection)
    , ConfigTable(&ADOConnection)
    , PeriodsTable(&ADOConnection)
    , catergoriestable(&ADOConnection)
    , itemstable(&ADOConnection)
    , BookingsTable(&ADOConnection)
    , ProfileUser(&ADOConnection)
    , NonHiddenUsers(&ADOConnection)
    , DisplayItems(&ADOConnection)
    , ActiveCatergories(&ADOConnection)
    , Cache(&ADOConnection)
    , BookQuery(&ADOConnection)
    , UpdateQuery(&ADOConnection)
    , UserProfileDataQuery(&UserTable)
    , PeriodsDataSource(&PeriodsTable)
    , CatergoriesDataSource(&catergoriestable)
    , itemsdatasource(&itemstable)
    , DisplayItemsDataSource(&DisplayItems)
    , BookingsTableDataSource(&BookingsTable)
    , ActiveCatergoriesDataSource(&ActiveCatergories)
    , ProfileUserDataSrouce(&ProfileUser)
{
    UserTable.setTableName(QStringLiteral("Users"));
    SystemTable.setTableName(QStringLiteral("System"));
    ConfigTable.setTableName(QStringLiteral("config"));
    PeriodsTable.setTableName(QStringLiteral("periods"));
    catergoriestable.setTableName(QStringLiteral("catergories"));
    itemstable.setTableName(QStringLiteral("items"));
    BookingsTable.setTableName(QStringLiteral("bookings"));

    ProfileUser.setSql({QStringLiteral("select *"), QStringLiteral("from users"),
                        QStringLiteral("where username = :profile;")});
    ProfileUser.setBaseTable(QStringLiteral("Users"));
    ProfileUser.setParam(QStringLiteral("profile"), ProfileUserName);

    NonHiddenUsers.setSql({QStringLiteral("select *"), QStringLiteral("from users"),
                           QStringLiteral("where hide = 0"), QStringLiteral("order by username;")});
    NonHiddenUsers.setBaseTable(QStringLiteral("Users"));

    DisplayItems.setSql({QStringLiteral("select * "), QStringLiteral("from items "),
                         QStringLiteral("where catergory = :tmpcatergory and isavailable = 1;")});
    DisplayItems.setBaseTable(QStringLiteral("items"));
    DisplayItems.setParam(QStringLiteral("tmpcatergory"), QStringLiteral("Miscellaneous"));

    ActiveCatergories.setSql({QStringLiteral("select catergory"), QStringLiteral("from items"),
                              QStringLiteral("group by catergory"), QStringLiteral("order by catergory;")});

    BookQuery.setBaseTable(QStringLiteral("bookings"));

    const QList<std::pair<QObject*, const char*>> names = {
        {&UserTable, "UserTable"}, {&SystemTable, "SystemTable"}, {&ConfigTable, "ConfigTable"},
        {&PeriodsTable, "PeriodsTable"}, {&catergoriestable, "catergoriestable"},
        {&itemstable, "itemstable"}, {&BookingsTable, "BookingsTable"}, {&ProfileUser, "ProfileUser"},
        {&NonHiddenUsers, "NonHiddenUsers"}, {&DisplayItems, "DisplayItems"},
        {&ActiveCatergories, "ActiveCatergories"}, {&Cache, "Cache"}, {&BookQuery, "BookQuery"},
        {&UpdateQuery, "UpdateQuery"}, {&UserProfileDataQuery, "UserProfileDataQuery"},
        {&PeriodsDataSource, "PeriodsDataSource"}, {&CatergoriesDataSource, "CatergoriesDataSource"},
        {&itemsdatasource, "itemsdatasource"}, {&DisplayItemsDataSource, "DisplayItemsDataSource"},
        {&BookingsTableDataSource, "BookingsTableDataSource"},
        {&ActiveCatergoriesDataSource, "ActiveCatergoriesDataSource"},
        {&ProfileUserDataSrouce, "ProfileUserDataSrouce"}};
    for (const auto& [obj, name] : names)
        obj->setObjectName(QString::fromLatin1(name));
}

DataModule::~DataModule()
{
    closeAll();
    if (g_dm == this)
        g_dm = nullptr;
}

QList<Dataset*> DataModule::allDatasets()
{
    return {&UserTable, &SystemTable, &ConfigTable, &PeriodsTable, &catergoriestable, &itemstable,
            &BookingsTable, &ProfileUser, &NonHiddenUsers, &DisplayItems, &ActiveCatergories,
            &Cache, &BookQuery, &UpdateQuery};
}

void DataModule::connectTo(const QString& filePath)
{
    closeAll();
    ADOConnection.open(filePath);
}

void DataModule::openTables()
{
    for (Dataset* t : {&SystemTable, &UserTable, &ConfigTable, &PeriodsTable, &catergoriestable,
                       &itemstable, &BookingsTable})
        t->open();
}

void DataModule::closeAll()
{
    for (Dataset* d : allDatasets())
        d->close();
    ADOConnection.close();
}
