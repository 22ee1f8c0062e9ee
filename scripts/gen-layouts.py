#!/usr/bin/env python3
"""Writes the thirteen WndLayoutInfo variants into resources/layouts/.

The English file is the reference; every other variant is the same document
with the values of its row below. Run from anywhere:
    python3 scripts/gen-layouts.py [output folder]
"""

import os
import sys

# Seen by the reader as attribute values: escape what XML would otherwise read as markup.
def xml_attr(text):
    return (text.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;")
            .replace('"', "&quot;"))


ENGLISH_DISCRIP = {
    "dialog": "Search Device Windows",
    2101: "LOG Image Show",
    2102: "Dialog Title",
    2103: "Close Button",
    2104: "Device List Title",
    2105: "Device List Show",
    2106: "",
    2107: "Log In Button",
    2108: "Refresh Button",
    2109: "My Storage Button",
}

CHINESE_DISCRIP = {
    "dialog": "搜索工具窗口",
    2101: "LOG图片显示",
    2102: "对话框标题栏",
    2103: "关闭按钮",
    2104: "设备列表标题",
    2105: "设备列表栏",
    2106: "刷新设备提示信息",
    2107: "登陆按钮",
    2108: "刷新按钮",
    2109: "我的存储按钮",
}

# The traditional Chinese file spells the close button's description differently.
CHINESE_DISCRIP_151 = {**CHINESE_DISCRIP, 2103: "關閉按钮"}

# Per control, in file order: class, image file ("" for none), cells, paint mode, position,
# text offset, text colour, font size. Texts, fonts and descriptions come from the variant.
CONTROLS = [
    (2101, "ShowImageCtrl", "logo.png", 1, 4, "7,7,16,16", "0,0", "255,255,255", 12),
    (2102, "ShowTextCtrl", "", 1, 4, "30,4,270,25", "0,0", "244,245,247", 21),
    (2103, "StandardButton", "close.png", 4, 4, "300,10,11,11", "0,0", "244,245,247", 12),
    (2104, "ShowTextImageCtrl", "", 1, 4, "15,32,200,15", "13,2", "244,245,247", 12),
    (2105, "StandardListCtrl", "", 1, 1, "10,50,308,141", "0,0", "6,65,105", 13),
    (2106, "ShowTextImageCtrl", "Brush.png", 1, 4, "10,194,280,15", "15,1", "244,245,247", 12),
    (2107, "StandardButton", "ButtonMax.png", 4, 4, "18,210,79,23", "0,6", "244,245,247", 12),
    (2108, "StandardButton", "ButtonMax.png", 4, 4, "127,210,79,23", "0,6", "244,245,247", 12),
    (2109, "StandardButton", "ButtonMax.png", 4, 4, "228,210,79,23", "0,6", "244,245,247", 12),
]

# These two keep "Tahoma" whatever the variant's face is.
TAHOMA_ALWAYS = {2102, 2105}

KIRUN = "\\KIRUNSearchTools\\Picture"
DEFAULT = "\\DefaultSearchTools\\Picture"
BRELTO = "\\BreltoSearchTools\\Picture"

# id: title, image folder, font face, dialog text colour, position overrides, descriptions,
#     control texts (2102 is the title; 2103 is empty unless given), string values.
VARIANTS = {
    149: dict(title="Vantro Roamdock", folder=KIRUN, font="宋体", text_color="6,65,105",
              pos={2106: "10,194,224,15"}, discrip=CHINESE_DISCRIP,
              texts={2104: "设备列表", 2105: "设备列表", 2106: "正在刷新设备列表,请等待...",
                     2107: "登 陆", 2108: "刷 新", 2109: "我的存储"},
              strings=("主机名称", "IP地址", "设备类型", "正在刷新设备列表,请等待")),
    150: dict(title="Vantro Roamdock", folder=KIRUN, font="Tahoma", text_color="244,245,247",
              pos={}, discrip=ENGLISH_DISCRIP,
              texts={2104: "Device List", 2105: "Device List",
                     2106: "Searching new devices,please wait\u2026",
                     2107: "Log In", 2108: "Refresh", 2109: "My Storage"},
              strings=("Host Name", "IP Address", "Devcie Type", "Searching new devices,please wait")),
    151: dict(title="Vantro Roamdock", folder=KIRUN, font="宋体", text_color="244,245,247",
              pos={}, discrip=CHINESE_DISCRIP_151,
              texts={2104: "設備明細", 2105: "設備明細", 2106: "正在重新整理設備明細,請等待...",
                     2107: "登 錄", 2108: "重新整理", 2109: "我的儲存"},
              strings=("主機名稱", "IP地址", "設備型號", "正在重新整理設備明細,請等待")),
    159: dict(title="Skyvalt", folder=DEFAULT, font="MS Mincho", text_color="244,245,247",
              pos={2106: "10,194,310,15"}, discrip=ENGLISH_DISCRIP,
              texts={2104: "デバイス一覧", 2105: "デバイス一覧", 2106: "を検索しています\u2026",
                     2107: "ログイン", 2108: "更新", 2109: "My Storage"},
              strings=("ホスト名", "IPアドレス", "デバイスタイプ", "を検索しています")),
    160: dict(title="Skyvalt", folder=DEFAULT, font="Arial", text_color="244,245,247",
              pos={2106: "10,194,290,15"}, discrip=ENGLISH_DISCRIP,
              texts={2104: "Geräteliste", 2105: "Geräteliste", 2106: "Erfrischend , bitte warten ...",
                     2107: "Log In", 2108: "Refresh", 2109: "My Storage"},
              strings=("Gerätename", "IP Adresse", "Gerätetyp", "Erfrischend , bitte warten ")),
    161: dict(title="Skyvalt", folder=DEFAULT, font="Arial", text_color="244,245,247",
              pos={2104: "15,32,250,15", 2106: "10,194,300,15"}, discrip=ENGLISH_DISCRIP,
              texts={2104: "Liste des Appareils", 2105: "Liste des Appareils",
                     2106: "Rechercher de nouveaux appareils, attendez-vous\u2026",
                     2107: "Connecter", 2108: "Rafraîchir", 2109: "Mon Storage"},
              strings=("Nom d'Hôte", "Adresse IP", "Type", "Actu liste appareils, attendez")),
    162: dict(title="Skyvalt", folder=DEFAULT, font="courier New", text_color="244,245,247",
              pos={2104: "15,32,250,15", 2106: "10,194,300,15"}, discrip=ENGLISH_DISCRIP,
              texts={2104: "Список устройства", 2105: "Список устройства",
                     2106: "Ища новый список,  ждите\u2026",
                     2107: "Вход", 2108: "Обновить", 2109: "устройство"},
              strings=("Имя хоста", " Адрес IP", "Тип", "Ища новые устройства, пожалуйста, ждите")),
    163: dict(title="Skyvalt", folder=DEFAULT, font="Dotum", text_color="244,245,247",
              pos={2104: "15,32,150,15", 2106: "10,194,315,15"}, discrip=ENGLISH_DISCRIP,
              texts={2104: "장치 리스트", 2105: "장치 리스트", 2106: "새로운 장치를 검색합니다. 기다리시오...",
                     2107: "로그인", 2108: "재검색", 2109: "Wifi Storage"},
              strings=("호스트 이름", "IP 주소", "장치 형태", "새로운 장치를 검색 중입니다.기다리세요")),
    164: dict(title="Skyvalt", folder=DEFAULT, font="Arial", text_color="244,245,247",
              pos={}, discrip=ENGLISH_DISCRIP,
              texts={2104: "Lista dispos.", 2105: "Lista dispos.",
                     2106: "A procurar novos dispos., aguarde\u2026",
                     2107: "Login", 2108: "Refrescar", 2109: "Meu armazen."},
              strings=("Nome Host", "Endereço IP", "Tipo dispos.", "A procurar novos dispos., aguarde")),
    165: dict(title="Skyvalt", folder=DEFAULT, font="Arial", text_color="6,65,105",
              pos={2106: "10,194,224,15"}, discrip=CHINESE_DISCRIP,
              texts={2104: "Lista de dispositivos", 2105: "Lista de dispositivos",
                     2106: "Buscando dispositivos nuevos, espere\u2026",
                     2107: "Iniciar sesión", 2108: "Actualizar", 2109: "Mi almacén"},
              strings=("Nombre de host", "Dirección IP", "Tipo de dispositivo",
                       "Buscando dispositivos nuevos, espere")),
    166: dict(title="Skyvalt", folder=DEFAULT, font="Arial", text_color="6,65,105",
              pos={2106: "10,194,224,15"}, discrip=CHINESE_DISCRIP,
              texts={2104: "Elenco dispositivi", 2105: "Elenco dispositivi",
                     2106: "Ricerca di nuovi dispositivi in corso, attendere\u2026",
                     2107: "Accedi", 2108: "Aggiorna", 2109: "Il mio archivio"},
              strings=("Nome host", "Indirizzo IP", "Tipo di dispositivo",
                       "Ricerca di nuovi dispositivi in corso, attendere")),
    169: dict(title="Skyvalt", folder=DEFAULT, font="Arial", text_color="6,65,105",
              pos={2106: "10,194,224,15"}, discrip=CHINESE_DISCRIP,
              texts={2104: "Apparaatlijst", 2105: "Apparaatlijst",
                     2106: "Zoeken naar nieuwe apparaten, even geduld alstublieft...",
                     2107: "Inloggen", 2108: "Vernieuwen", 2109: "Mijn Opslag"},
              strings=("Hostnaam", "IP-adres", "Apparaatsoort",
                       "Zoeken naar nieuwe apparaten, even geduld alstublieft")),
    175: dict(title="Poszukiwanie urządzenia", folder=BRELTO, font="Tahoma", text_color="244,245,247",
              pos={}, discrip=ENGLISH_DISCRIP,
              texts={2103: "Zamknij", 2104: "Dostępne urządzenia", 2105: "Device List",
                     2106: "Poszukiwanie urządzenia trwa. Proszę czekać ..",
                     2107: "Login", 2108: "Odśwież", 2109: "Moja pamięć"},
              strings=("Nazwa urządzenia", "Adres IP", "Typ urządzenia",
                       "Poszukiwanie urządzenia trwa. Proszę czekać ..")),
}

# The Polish file was saved without a byte-order mark; the others carry one.
NO_BOM = {175}

STRING_IDS = (
    "SEARCH_DEVICE_LIST_ITEM_NAME",
    "SEARCH_DEVICE_LIST_ITEM_IP",
    "SEARCH_DEVICE_LIST_ITEM_TYPE",
    "SEARCH_DEVICE_LIST_HEADER_FONT_NAME",
    "SEARCH_DEVICE_LIST_HEADER_FONT_SIZE",
    "SEARCH_DEVICE_LIST_HEADER_FONT_COLOR",
    "SEARCH_DEVICE_WATI_TIME_WARNING",
)


# One element as lines; children are indented one tab deeper.
def element(name, attributes, children=None):
    text = "<" + name
    for key, value in attributes:
        text += ' %s="%s"' % (key, xml_attr(value))
    if not children:
        return [text + "/>"]
    return [text + ">"] + ["\t" + line for line in children] + ["</" + name + ">"]


def layout_lines(v):
    controls = []
    for (ctrl_id, ctrl_class, image, cells, paint, pos, offset, color, size) in CONTROLS:
        if ctrl_id == 2102:
            text = v["title"]
        else:
            text = v["texts"].get(ctrl_id, "")
        controls += element("CtrlInfo", [
            ("CtrlID", str(ctrl_id)),
            ("CtrlBGPath", v["folder"] + "\\" + image if image else ""),
            ("CtrlBGStatusCount", str(cells)),
            ("CtrlBGColor", "255,255,255"),
            ("CtrlBorderColor", "126,157,185"),
            ("CtrlPaintMode", str(paint)),
            ("CtrlClass", ctrl_class),
            ("CtrlStyle", "WS_CHILD|WS_VISIBLE|LVS_REPORT" if ctrl_id == 2105 else "WS_CHILD|WS_VISIBLE"),
            ("CtrlPosType", "3"),
            ("CtrlPos", v["pos"].get(ctrl_id, pos)),
            ("CtrlShow", "5"),
            ("CtrlText", text),
            ("CtrlTextOffSet", offset),
            ("CtrlTextColor", color),
            ("CtrlFont", "Tahoma" if ctrl_id in TAHOMA_ALWAYS else v["font"]),
            ("CtrlFontSize", str(size)),
            ("CtrlDiscrip", v["discrip"][ctrl_id]),
        ])
    standard = element("Standard", [
        ("DialogBGPath", v["folder"] + "\\SearchDevice_BlackGround.png"),
        ("DialogBGColor", "255,255,255"),
        ("DlgPaintMode", "8"),
        ("DlgTextOffSet", "0,0"),
        ("DlgTextColor", v["text_color"]),
        ("DialogFont", v["font"]),
        ("DialogFontSize", "12"),
        ("DialogPos", "0,0,328,245"),
    ], controls)
    name, ip, dev_type, waiting = v["strings"]
    values = (name, ip, dev_type, v["font"], "12", "244,245,247", waiting)
    strings = []
    for string_id, value in zip(STRING_IDS, values):
        strings += element("StringInfo", [("StringID", string_id), ("StringValue", value)])
    dialog = element("DialogInfo", [
        ("DialogID", "201"),
        ("DialogText", v["title"]),
        ("DialogDiscrip", v["discrip"]["dialog"]),
    ], standard + strings)
    return ['<?xml version="1.0" encoding="utf-8"?>'] + element("WindowInformation", [], dialog)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "resources", "layouts")
    os.makedirs(out, exist_ok=True)
    for layout_id, variant in sorted(VARIANTS.items()):
        data = "\r\n".join(layout_lines(variant)).encode("utf-8") + b"\r\n"
        if layout_id not in NO_BOM:
            data = b"\xef\xbb\xbf" + data
        with open(os.path.join(out, "WndLayoutInfo_%d.xml" % layout_id), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
