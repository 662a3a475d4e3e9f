-- The tables of a database made before the schema level was recorded: no
-- "dbVer" field, none of the booking-limit and permanent-booking fields, and
-- period names at most 2 characters. The extender raises such a file to the
-- level of schema.sql; tests and the benchmark make their older files from
-- this script (a "5B" file adds "dbVer" holding '5B'). Everything else is as
-- schema.sql has it, and must stay so.

CREATE TABLE "Users" (
  "username"                 TEXT COLLATE NOCASE NOT NULL CHECK (length("username") <= 10),
  -- the scrambled password: a key character and the password's UTF-8
  -- bytes, so a 20-character password always fits
  "password"                 TEXT CHECK (length("password") <= 81),
  "FullName"                 TEXT CHECK (length("FullName") <= 50),
  "Expires"                  INTEGER NOT NULL DEFAULT 0,
  "ExpiresOn"                TEXT,
  "accesslevel"              INTEGER NOT NULL DEFAULT 0 CHECK ("accesslevel" BETWEEN 0 AND 65535),
  "isStudent"                INTEGER NOT NULL DEFAULT 0,
  "isStaff"                  INTEGER NOT NULL DEFAULT 0,
  "canMakeBookings"          INTEGER NOT NULL DEFAULT 0,
  "canModifyBookings"        INTEGER NOT NULL DEFAULT 0,
  "canMakePermanentBookings" INTEGER NOT NULL DEFAULT 0,
  "canFlushBookings"         INTEGER NOT NULL DEFAULT 0,
  "canModifyItems"           INTEGER NOT NULL DEFAULT 0,
  "canModifyCatergories"     INTEGER NOT NULL DEFAULT 0,
  "canAdministerUsers"       INTEGER NOT NULL DEFAULT 0,
  "canModifyPeriod"          INTEGER NOT NULL DEFAULT 0,
  "canForceShutdown"         INTEGER NOT NULL DEFAULT 0,
  "isAdministrator"          INTEGER NOT NULL DEFAULT 0,
  "canRunMaintaince"         INTEGER NOT NULL DEFAULT 0,
  "canCirculate"             INTEGER NOT NULL DEFAULT 0,
  "ForcePassword"            INTEGER NOT NULL DEFAULT 0,
  "Hide"                     INTEGER NOT NULL DEFAULT 0,
  "Online"                   INTEGER NOT NULL DEFAULT 0,
  "LastComputer"             TEXT CHECK (length("LastComputer") <= 50),
  "LastConnected"            TEXT,
  "AuthCode"                 TEXT CHECK (length("AuthCode") <= 50)
);
CREATE UNIQUE INDEX "Users_username" ON "Users" ("username");

CREATE TABLE "items" (
  "ItemName"             TEXT COLLATE NOCASE NOT NULL CHECK (length("ItemName") <= 50),
  "ItemDescription"      TEXT CHECK (length("ItemDescription") <= 150),
  "Manager"              TEXT COLLATE NOCASE CHECK (length("Manager") <= 50),
  "Catergory"            TEXT COLLATE NOCASE CHECK (length("Catergory") <= 50),
  "minSecurity"          INTEGER NOT NULL DEFAULT 0 CHECK ("minSecurity" BETWEEN 0 AND 65535),
  "isAvailable"          INTEGER NOT NULL DEFAULT 0,
  "Circulated"           INTEGER NOT NULL DEFAULT 0,
  "BarCode"              TEXT CHECK (length("BarCode") <= 20),
  "AuthCode"             TEXT CHECK (length("AuthCode") <= 50),
  "canStudentBook"       INTEGER NOT NULL DEFAULT 0,
  "CriteriaA"            TEXT CHECK (length("CriteriaA") <= 50),
  "CriteriaB"            TEXT CHECK (length("CriteriaB") <= 50),
  "EyeLoggerIdentifier"  TEXT CHECK (length("EyeLoggerIdentifier") <= 50),
  "DefaultLoanPeriod"    INTEGER NOT NULL DEFAULT 0,
  "ManagerOnlyCirculate" INTEGER NOT NULL DEFAULT 0,
  "PostOverDues"         INTEGER NOT NULL DEFAULT 0,
  "isRoomChange"         INTEGER NOT NULL DEFAULT 0
);
CREATE UNIQUE INDEX "items_ItemName" ON "items" ("ItemName");
CREATE INDEX "items_Catergory" ON "items" ("Catergory");

CREATE TABLE "catergories" (
  "CaterGoryName" TEXT COLLATE NOCASE NOT NULL CHECK (length("CaterGoryName") <= 50),
  "Description"   TEXT CHECK (length("Description") <= 150)
);
CREATE UNIQUE INDEX "catergories_CaterGoryName" ON "catergories" ("CaterGoryName");

CREATE TABLE "bookings" (
  "Index"        INTEGER PRIMARY KEY AUTOINCREMENT,
  "Date"         TEXT,
  "Period"       TEXT COLLATE NOCASE CHECK (length("Period") <= 2),
  "ItemBooked"   TEXT COLLATE NOCASE CHECK (length("ItemBooked") <= 50),
  "BookedBy"     TEXT COLLATE NOCASE CHECK (length("BookedBy") <= 50),
  "forReason"    TEXT CHECK (length("forReason") <= 150),
  "BookedOnDate" TEXT,
  "BookedOnTime" TEXT,
  "AuthCode"     TEXT NOT NULL DEFAULT '' CHECK (length("AuthCode") <= 50)
);
-- One booking per item, day and period. Rows whose period name is empty
-- are not a slot (clearing a period renames its bookings to the empty name).
CREATE UNIQUE INDEX "bookings_slot" ON "bookings" ("ItemBooked", "Date", "Period") WHERE "Period" <> '';
-- The look-ups by item and day (the weekly sheet, the slot look-up).
CREATE INDEX "bookings_item_date" ON "bookings" ("ItemBooked", "Date", "Period");
CREATE INDEX "bookings_date" ON "bookings" ("Date");

CREATE TABLE "periods" (
  "period"    TEXT COLLATE NOCASE CHECK (length("period") <= 2),
  "order"     INTEGER NOT NULL DEFAULT 0,
  "StartTime" TEXT
);

CREATE TABLE "config" (
  "AutoLogin"              INTEGER NOT NULL DEFAULT 0,
  "PromptPassword"         INTEGER NOT NULL DEFAULT 0,
  "AutoRegister"           INTEGER NOT NULL DEFAULT 0,
  "InstallID"              TEXT CHECK (length("InstallID") <= 4),
  "RemoveObsoleteBookings" INTEGER NOT NULL DEFAULT 0,
  "LastMaintainceRun"      TEXT,
  "MaintainceDays"         INTEGER NOT NULL DEFAULT 0,
  "EnableMaintaince"       INTEGER NOT NULL DEFAULT 0,
  "inMaintaince"           INTEGER NOT NULL DEFAULT 0,
  "DeleteifMissingUser"    INTEGER NOT NULL DEFAULT 0
);

CREATE TABLE "System" (
  "forceshutdown" INTEGER NOT NULL DEFAULT 0,
  "denylogin"     INTEGER NOT NULL DEFAULT 0,
  "reason"        TEXT CHECK (length("reason") <= 255),
  "user"          TEXT CHECK (length("user") <= 50)
);

-- The one configuration row: this installation's own four-digit number,
-- log-on through the log-on dialog with any name typed.
INSERT INTO "config" ("AutoLogin", "PromptPassword", "AutoRegister", "InstallID", "RemoveObsoleteBookings")
VALUES (0, 0, 0, CAST(1000 + abs(random() % 9000) AS TEXT), 365);

-- The one control row, every flag clear.
INSERT INTO "System" ("forceshutdown", "denylogin", "reason", "user") VALUES (0, 0, '', '');
