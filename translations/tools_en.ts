<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>AutomationActions</name>
    <message numerus="yes">
        <source>Filewright handled %n file(s) in %1.</source>
        <translation>
            <numerusform>Filewright handled %n file in %1.</numerusform>
            <numerusform>Filewright handled %n files in %1.</numerusform>
        </translation>
    </message>
</context>
</TS>
