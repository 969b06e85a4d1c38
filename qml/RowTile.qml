import QtQuick
import "."

// The 36 px icon tile at the start of a list row: a line icon, replaced by the application's
// own icon once that image has loaded.
Rectangle {
    id: root

    property string icon
    property string appIcon
    property bool hot: false
    readonly property bool showsAppIcon: appImage.status === Image.Ready

    width: 36
    height: 36
    radius: 8
    color: root.hot ? Theme.tileOn : Theme.tileOff

    Icon {
        anchors.centerIn: parent
        visible: !root.showsAppIcon
        name: root.icon
        size: 18
        color: root.hot ? Theme.amber : Theme.text2
    }

    Image {
        id: appImage

        anchors.centerIn: parent
        width: 20
        height: 20
        visible: root.showsAppIcon
        source: root.appIcon
        sourceSize.width: 40
        sourceSize.height: 40
        asynchronous: true
        fillMode: Image.PreserveAspectFit
        smooth: true
    }
}
