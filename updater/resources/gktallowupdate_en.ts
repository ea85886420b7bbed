<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>GKTallowUpdateClass</name>
    <message>
        <source>GKTallowUpdate</source>
        <translation>Remote Upgrade</translation>
    </message>
    <message>
        <source>Progress:</source>
        <translation>Progress</translation>
    </message>
</context>
<context>
    <name>GKThreadDownLoad</name>
    <message>
        <source>checkStartTip</source>
        <translation>Start checking the program for updates,please wait</translation>
    </message>
    <message>
        <source>downStartTip</source>
        <translation>Start downloading the updated resource list,please wait</translation>
    </message>
    <message>
        <source>compareList</source>
        <translation>Start  comparing resource versions,please wait</translation>
    </message>
    <message>
        <source>downfile</source>
        <translation>Start downloading files,please wait</translation>
    </message>
    <message>
        <source>updatestart</source>
        <translation>Start updating data</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>maintitle</source>
        <translation>Remote Upgrade</translation>
    </message>
    <message>
        <source>progress</source>
        <translation>Progress</translation>
    </message>
</context>
</TS>
