<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>MenuBarPanel</name>
    <message numerus="yes">
        <source>%n to Check</source>
        <translation>
            <numerusform>%n to Check</numerusform>
            <numerusform>%n to Check</numerusform>
        </translation>
    </message>
</context>
</TS>
