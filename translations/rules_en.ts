<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>DryRunView</name>
    <message numerus="yes">
        <source>to the Trash after %n day(s)</source>
        <translation>
            <numerusform>to the Trash after %n day</numerusform>
            <numerusform>to the Trash after %n days</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>What this rule would do with the newest %n file(s). Nothing is changed.</source>
        <translation>
            <numerusform>What this rule would do with the newest file. Nothing is changed.</numerusform>
            <numerusform>What this rule would do with the newest %n files. Nothing is changed.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n of %1 match.</source>
        <comment>%1 counts the files tried, as in “5 files”</comment>
        <translation>
            <numerusform>%n of %1 matches.</numerusform>
            <numerusform>%n of %1 match.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n file(s)</source>
        <comment>after “of”, as in “2 of 5 files”</comment>
        <translation>
            <numerusform>%n file</numerusform>
            <numerusform>%n files</numerusform>
        </translation>
    </message>
</context>
</TS>
