<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>AppModel</name>
    <message numerus="yes">
        <source>%1: %n file(s) handled</source>
        <translation>
            <numerusform>%1: %n file handled</numerusform>
            <numerusform>%1: %n files handled</numerusform>
        </translation>
    </message>
</context>
</TS>
