<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>MetricsStore</name>
    <message>
        <source>%1 s</source>
        <comment>a hang&apos;s duration in seconds</comment>
        <translation>%1 s</translation>
    </message>
</context>
</TS>
