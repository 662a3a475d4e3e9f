-- The tables of a database made before the schema level was recorded: no
-- "dbVer" field, none of the booking-limit and permanent-booking fields, and
-- period names at most 2 characters. The extender raises such a file to the
-- level of schema.sql; tests and the benchmark make their older files from
-- this script (a "5B" file adds "dbVer" holding '5B'). Everything else is as
-- schema.sql has it, and must stay so.

CREATE TABLE "Users" (
  "username"                 TEXT COLLATE NOCASE NOT NULL CHECK (length("username") <= 10 AND instr("username", char(0)) = 0),
  -- the scrambled password: a key character and the password's UTF-8
  -- bytes, so a 20-character password always fits
  "password"                 TEXT CHECK (length("password") <= 81 AND length(CAST("password" AS BLOB)) <= 162),
  "FullName"                 TEXT CHECK (length("FullName") <= 50 AND instr("FullName", char(0)) = 0),
  "Expires"                  INTEGER NOT NULL DEFAULT 0,
  "ExpiresOn"                TEXT CHECK ("ExpiresOn" GLOB '[0-9][0-9][0-9][0-9]-[01][0-9]-[0-3][0-9]' OR "ExpiresOn" GLOB '[0-9][0-9][0-9][0-9]-[01][0-9]-[0-3][0-9] [0-2][0-9]:[0-5][0-9]:[0-5][0-9]'),
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
  "LastComputer"             TEXT CHECK (length("LastComputer") <= 50 AND instr("LastComputer", char(0)) = 0),
  "LastConnected"            TEXT CHECK ("LastConnected" GLOB '[0-9][0-9][0-9][0-9]-[01][0-9]-[0-3][0-9]' OR "LastConnected" GLOB '[0-9][0-9][0-9][0-9]-[01][0-9]-[0-3][0-9] [0-2][0-9]:[0-5][0-9]:[0-5][0-9]'),
  "AuthCode"                 TEXT CHECK (length("AuthCode") <= 50 AND length(CAST("AuthCode" AS BLOB)) <= 100)
);
CREATE UNIQUE INDEX "Users_username" ON "Users" ("username");

CREATE TABLE "items" (
  "ItemName"             TEXT COLLATE NOCASE NOT NULL CHECK (length("ItemName") <= 50 AND instr("ItemName", char(0)) = 0),
  "ItemDescription"      TEXT CHECK (length("ItemDescription") <= 150 AND instr("ItemDescription", char(0)) = 0),
  "Manager"              TEXT COLLATE NOCASE CHECK (length("Manager") <= 50 AND instr("Manager", char(0)) = 0),
  "Catergory"            TEXT COLLATE NOCASE CHECK (length("Catergory") <= 50 AND instr("Catergory", char(0)) = 0),
  "minSecurity"          INTEGER NOT NULL DEFAULT 0 CHECK ("minSecurity" BETWEEN 0 AND 65535),
  "isAvailable"          INTEGER NOT NULL DEFAULT 0,
  "Circulated"           INTEGER NOT NULL DEFAULT 0,
  "BarCode"              TEXT CHECK (length("BarCode") <= 20 AND instr("BarCode", char(0)) = 0),
  "AuthCode"             TEXT CHECK (length("AuthCode") <= 50 AND length(CAST("AuthCode" AS BLOB)) <= 100),
  "canStudentBook"       INTEGER NOT NULL DEFAULT 0,
  "CriteriaA"            TEXT CHECK (length("CriteriaA") <= 50 AND instr("CriteriaA", char(0)) = 0),
  "CriteriaB"            TEXT CHECK (length("CriteriaB") <= 50 AND instr("CriteriaB", char(0)) = 0),
  "EyeLoggerIdentifier"  TEXT CHECK (length("EyeLoggerIdentifier") <= 50 AND instr("EyeLoggerIdentifier", char(0)) = 0),
  "DefaultLoanPeriod"    INTEGER NOT NULL DEFAULT 0,
  "ManagerOnlyCirculate" INTEGER NOT NULL DEFAULT 0,
  "PostOverDues"         INTEGER NOT NULL DEFAULT 0,
  "isRoomChange"         INTEGER NOT NULL DEFAULT 0
);
CREATE UNIQUE INDEX "items_ItemName" ON "items" ("ItemName");
CREATE INDEX "items_Catergory" ON "items" ("Catergory");

CREATE TABLE "catergories" (
  "CaterGoryName" TEXT COLLATE NOCASE NOT NULL CHECK (length("CaterGoryName") <= 50 AND instr("CaterGoryName", char(0)) = 0),
  "Description"   TEXT CHECK (length("Description") <= 150 AND instr("Description", char(0)) = 0)
);
CREATE UNIQUE INDEX "catergories_CaterGoryName" ON "catergories" ("CaterGoryName");

CREATE TABLE "bookings" (
  "Index"        INTEGER PRIMARY KEY AUTOINCREMENT,
  "Date"         TEXT CHECK ("Date" GLOB '[0-9][0-9][0-9][0-9]-[01][0-9]-[0-3][0-9]'),
  "Period"       TEXT COLLATE NOCASE CHECK (length("Period") <= 2 AND instr("Period", char(0)) = 0),
  "ItemBooked"   TEXT COLLATE NOCASE CHECK (length("ItemBooked") <= 50 AND instr("ItemBooked", char(0)) = 0),
  "BookedBy"     TEXT COLLATE NOCASE CHECK (length("BookedBy") <= 50 AND instr("BookedBy", char(0)) = 0),
  "forReason"    TEXT CHECK (length("forReason") <= 150 AND instr("forReason", char(0)) = 0),
  "BookedOnDate" TEXT CHECK ("BookedOnDate" GLOB '[0-9][0-9][0-9][0-9]-[01][0-9]-[0-3][0-9]'),
  "BookedOnTime" TEXT CHECK ("BookedOnTime" GLOB '[0-2][0-9]:[0-5][0-9]:[0-5][0-9]'),
  "AuthCode"     TEXT NOT NULL DEFAULT '' CHECK (length("AuthCode") <= 50 AND length(CAST("AuthCode" AS BLOB)) <= 100)
);
-- One booking per item, day and period. Rows whose period name is empty
-- are not a slot (clearing a period renames its bookings to the empty name).
CREATE UNIQUE INDEX "bookings_slot" ON "bookings" ("ItemBooked", "Date", "Period") WHERE "Period" <> '';
-- The look-ups by item and day (the weekly sheet, the slot look-up).
CREATE INDEX "bookings_item_date" ON "bookings" ("ItemBooked", "Date", "Period");
CREATE INDEX "bookings_date" ON "bookings" ("Date");

CREATE TABLE "periods" (
  "period"    TEXT COLLATE NOCASE CHECK (length("period") <= 2 AND instr("period", char(0)) = 0),
  "order"     INTEGER NOT NULL DEFAULT 0,
  "StartTime" TEXT CHECK ("StartTime" GLOB '[0-2][0-9]:[0-5][0-9]:[0-5][0-9]')
);
CREATE INDEX "periods_period" ON "periods" ("period");

CREATE TABLE "config" (
  "AutoLogin"              INTEGER NOT NULL DEFAULT 0,
  "PromptPassword"         INTEGER NOT NULL DEFAULT 0,
  "AutoRegister"           INTEGER NOT NULL DEFAULT 0,
  "InstallID"              TEXT CHECK (length("InstallID") <= 4 AND instr("InstallID", char(0)) = 0),
  "RemoveObsoleteBookings" INTEGER NOT NULL DEFAULT 0,
  "LastMaintainceRun"      TEXT CHECK ("LastMaintainceRun" GLOB '[0-9][0-9][0-9][0-9]-[01][0-9]-[0-3][0-9]' OR "LastMaintainceRun" GLOB '[0-9][0-9][0-9][0-9]-[01][0-9]-[0-3][0-9] [0-2][0-9]:[0-5][0-9]:[0-5][0-9]'),
  "MaintainceDays"         INTEGER NOT NULL DEFAULT 0,
  "EnableMaintaince"       INTEGER NOT NULL DEFAULT 0,
  "inMaintaince"           INTEGER NOT NULL DEFAULT 0,
  "DeleteifMissingUser"    INTEGER NOT NULL DEFAULT 0
);

CREATE TABLE "System" (
  "forceshutdown" INTEGER NOT NULL DEFAULT 0,
  "denylogin"     INTEGER NOT NULL DEFAULT 0,
  "reason"        TEXT CHECK (length("reason") <= 255 AND instr("reason", char(0)) = 0),
  "user"          TEXT CHECK (length("user") <= 50 AND instr("user", char(0)) = 0)
);

-- How often each table has changed, kept by the file itself: a client that
-- sees another client's commit re-reads only the tables whose count moved,
-- whoever the writer was. (Each trigger stands on one line: the script is
-- split into statements at lines that end with ";".)
CREATE TABLE "TableChanges" (
  "TableName" TEXT COLLATE NOCASE NOT NULL PRIMARY KEY,
  "Changes"   INTEGER NOT NULL DEFAULT 0
);

INSERT INTO "TableChanges" ("TableName") VALUES ('Users');
CREATE TRIGGER "Users_insert" AFTER INSERT ON "Users" BEGIN UPDATE "TableChanges" SET "Changes" = "Changes" + 1 WHERE "TableName" = 'Users'; END;
CREATE TRIGGER "Users_update" AFTER UPDATE ON "Users" BEGIN UPDATE "TableChanges" SET "Changes" = "Changes" + 1 WHERE "TableName" = 'Users'; END;
CREATE TRIGGER "Users_delete" AFTER DELETE ON "Users" BEGIN UPDATE "TableChanges" SET "Changes" = "Changes" + 1 WHERE "TableName" = 'Users'; END;
INSERT INTO "TableChanges" ("TableName") VALUES ('items');
CREATE TRIGGER "items_insert" AFTER INSERT ON "items" BEGIN UPDATE "TableChanges" SET "Changes" = "Changes" + 1 WHERE "TableName" = 'items'; END;
CREATE TRIGGER "items_update" AFTER UPDATE ON "items" BEGIN UPDATE "TableChanges" SET "Changes" = "Changes" + 1 WHERE "TableName" = 'items'; END;
CREATE TRIGGER "items_delete" AFTER DELETE ON "items" BEGIN UPDATE "TableChanges" SET "Changes" = "Changes" + 1 WHERE "TableName" = 'items'; END;
INSERT INTO "TableChanges" ("TableName") VALUES ('catergories');
CREATE TRIGGER "catergories_insert" AFTER INSERT ON "catergories" BEGIN UPDATE "TableChanges" SET "Changes" = "Changes" + 1 WHERE "TableName" = 'catergories'; END;
CREATE TRIGGER "catergories_update" AFTER UPDATE ON "catergories" BEGIN UPDATE "TableChanges" SET "Changes" = "Changes" + 1 WHERE "TableName" = 'catergories'; END;
CREATE TRIGGER "catergories_delete" AFTER DELETE ON "catergories" BEGIN UPDATE "TableChanges" SET "Changes" = "Changes" + 1 WHERE "TableName" = 'catergories'; END;
INSERT INTO "TableChanges" ("TableName") VALUES ('bookings');
CREATE TRIGGER "bookings_insert" AFTER INSERT ON "bookings" BEGIN UPDATE "TableChanges" SET "Changes" = "Changes" + 1 WHERE "TableName" = 'bookings'; END;
CREATE TRIGGER "bookings_update" AFTER UPDATE ON "bookings" BEGIN UPDATE "TableChanges" SET "Changes" = "Changes" + 1 WHERE "TableName" = 'bookings'; END;
CREATE TRIGGER "bookings_delete" AFTER DELETE ON "bookings" BEGIN UPDATE "TableChanges" SET "Changes" = "Changes" + 1 WHERE "TableName" = 'bookings'; END;
INSERT INTO "TableChanges" ("TableName") VALUES ('periods');
CREATE TRIGGER "periods_insert" AFTER INSERT ON "periods" BEGIN UPDATE "TableChanges" SET "Changes" = "Changes" + 1 WHERE "TableName" = 'periods'; END;
CREATE TRIGGER "periods_update" AFTER UPDATE ON "periods" BEGIN UPDATE "TableChanges" SET "Changes" = "Changes" + 1 WHERE "TableName" = 'periods'; END;
CREATE TRIGGER "periods_delete" AFTER DELETE ON "periods" BEGIN UPDATE "TableChanges" SET "Changes" = "Changes" + 1 WHERE "TableName" = 'periods'; END;
INSERT INTO "TableChanges" ("TableName") VALUES ('config');
CREATE TRIGGER "config_insert" AFTER INSERT ON "config" BEGIN UPDATE "TableChanges" SET "Changes" = "Changes" + 1 WHERE "TableName" = 'config'; END;
CREATE TRIGGER "config_update" AFTER UPDATE ON "config" BEGIN UPDATE "TableChanges" SET "Changes" = "Changes" + 1 WHERE "TableName" = 'config'; END;
CREATE TRIGGER "config_delete" AFTER DELETE ON "config" BEGIN UPDATE "TableChanges" SET "Changes" = "Changes" + 1 WHERE "TableName" = 'config'; END;
INSERT INTO "TableChanges" ("TableName") VALUES ('System');
CREATE TRIGGER "System_insert" AFTER INSERT ON "System" BEGIN UPDATE "TableChanges" SET "Changes" = "Changes" + 1 WHERE "TableName" = 'System'; END;
CREATE TRIGGER "System_update" AFTER UPDATE ON "System" BEGIN UPDATE "TableChanges" SET "Changes" = "Changes" + 1 WHERE "TableName" = 'System'; END;
CREATE TRIGGER "System_delete" AFTER DELETE ON "System" BEGIN UPDATE "TableChanges" SET "Changes" = "Changes" + 1 WHERE "TableName" = 'System'; END;

-- The one configuration row: this installation's own four-digit number,
-- log-on through the log-on dialog with any name typed.
INSERT INTO "config" ("AutoLogin", "PromptPassword", "AutoRegister", "InstallID", "RemoveObsoleteBookings")
VALUES (0, 0, 0, CAST(1000 + abs(random() % 9000) AS TEXT), 365);

-- The one control row, every flag clear.
INSERT INTO "System" ("forceshutdown", "denylogin", "reason", "user") VALUES (0, 0, '', '');
