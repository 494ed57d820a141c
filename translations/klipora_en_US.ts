<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>Klipora</name>
    <message>
        <source>Snip</source>
        <translation>Snip</translation>
    </message>
    <message>
        <source>Screen Record</source>
        <translation>Screen Record</translation>
    </message>
    <message>
        <source>GIF Record</source>
        <translation>GIF Record</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>Quit</translation>
    </message>
</context>
</TS>
