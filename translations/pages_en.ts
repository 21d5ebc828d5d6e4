<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>ReceiptsPage</name>
    <message numerus="yes">
        <source>%n of %1 were left out because their files are no longer there.</source>
        <comment>%1 counts the receipts, as in “5 receipts”</comment>
        <translation>
            <numerusform>%n of %1 was left out because its file is no longer there.</numerusform>
            <numerusform>%n of %1 were left out because their files are no longer there.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n receipt(s)</source>
        <comment>after “of”, as in “2 of 5 receipts”</comment>
        <translation>
            <numerusform>%n receipt</numerusform>
            <numerusform>%n receipts</numerusform>
        </translation>
    </message>
</context>
</TS>
