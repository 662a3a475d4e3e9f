
// Renders the window with a few bookings to a picture when asked for
// (TAVRELL_MAIN_SNAPSHOT names the file), for looking at the layout.
TEST_F(MainSheet, SnapshotWhenAskedFor)
{
    const QString file = qEnvironmentVariable("TAVRELL_MAIN_SNAPSHOT");
    if (file.isEmpty())
        GTEST_SKIP();
    addItem(QStringLiteral("LAPTOP TROLLEY"));
    addBooking(QStringLiteral("PROJECTOR"), monday, QStringLiteral("1"), QStringLiteral("BOB"), QStringLiteral("assembly practice"));
    addBooking(QStringLiteral("PROJECTOR"), monday.addDays(3), QStringLiteral("4"), QStringLiteral("ANN"), QStringLiteral("film"));
    win->InitMainWindow();
    win->Sheet->setSelection({4, 4, 5, 5});
    win->ShowCellInfo();
    ASSERT_TRUE(win->grab().save(file));
}
