'''python-dbusmock template: BlueZ with Bluetooth LE printers behind it.

Loaded by thermal-ble-sim (python3 -m dbusmock --system --template THIS -p JSON).
It is the bluez5 template of python-dbusmock plus, for every printer of the
parameters, a device with the GATT service of its family. What a WriteValue
carries is appended to OUT/wire.bin (one line per write in OUT/writes.txt)
and passed to a thermal-printer-sim on 127.0.0.1:PORT, which decodes it into
pages; what the simulator answers comes back as notifications. Each device
also has org.thermal.SimPrinter methods: Drop() (the link drops and the
printer stays away), Back() (it can be reached again), LoadPaper() and
SayStop() (a cat printer says "stop" and never "go on").
'''

import os
import signal
import socket

import dbus
from gi.repository import GLib

from dbusmock import mockobject
from dbusmock.templates import bluez5
from dbusmock.templates.bluez5 import *  # noqa: F401,F403  the BlueZ objects and Mock methods

BUS_NAME = bluez5.BUS_NAME
MAIN_OBJ = bluez5.MAIN_OBJ
SYSTEM_BUS = True
IS_OBJECT_MANAGER = True

DEVICE_IFACE = 'org.bluez.Device1'
SERVICE_IFACE = 'org.bluez.GattService1'
CHAR_IFACE = 'org.bluez.GattCharacteristic1'
CONTROL_IFACE = 'org.thermal.SimPrinter'


def full(uuid):
    return f'0000{uuid}-0000-1000-8000-00805f9b34fb' if len(uuid) == 4 else uuid


UART = '49535343-fe7d-4ae5-8fa9-9fafd205e455'
# kind: (service, write, notify[, another notifying characteristic that stays silent])
KINDS = {
    'cat': ('ae30', 'ae01', 'ae02'),
    'paperang': (UART, '49535343-6daa-4d02-abf6-19569aca69fe', '49535343-1e4d-4bd9-ba61-23c647249616'),
    'uart': (UART, '49535343-8841-43f4-a8d4-ecbe34729bb3', '49535343-1e4d-4bd9-ba61-23c647249616'),
    'ff00': ('ff00', 'ff02', 'ff01'),
    # NIIMBOT: one characteristic for writes and notifications.
    'niimbot': ('e7810a71-73ae-499d-8c15-faa9aef0c3f2', 'bef8d6c9-9c21-4c9e-b632-bd58c1009f9f',
                'bef8d6c9-9c21-4c9e-b632-bd58c1009f9f'),
    # Phomemo: answers on ff03; ff01 notifies too but says nothing here.
    'phomemo': ('ff00', 'ff02', 'ff03', 'ff01'),
    'unknown': ('12345678-0000-4000-8000-00000000abcd', '12345678-0001-4000-8000-00000000abcd',
                '12345678-0002-4000-8000-00000000abcd'),
}

printers = {}  # device path -> state


def changed(obj, iface, props):
    for k, v in props.items():
        obj.props[iface][k] = v
    obj.EmitSignal(dbus.PROPERTIES_IFACE, 'PropertiesChanged', 'sa{sv}as', [iface, props, []])


def notify(p, data):
    char = mockobject.objects[p['notify']]
    if p['notifying'] and data:
        changed(char, CHAR_IFACE, {'Value': dbus.Array(data, signature='y', variant_level=1)})


def heard(_fd, _cond, p):
    try:
        data = p['sock'].recv(4096) if p['sock'] else b''
    except OSError:
        data = b''
    if not data:
        return False
    notify(p, [dbus.Byte(b) for b in data])
    return True


def close_sim(p):
    if p['watch']:
        GLib.source_remove(p['watch'])
        p['watch'] = 0
    if p['sock']:
        p['sock'].close()
        p['sock'] = None


def set_connected(p, value):
    p['connected'] = value
    if not value:
        close_sim(p)
        p['notifying'] = False
    changed(mockobject.objects[p['path']], DEVICE_IFACE,
            {'Connected': dbus.Boolean(value, variant_level=1),
             'ServicesResolved': dbus.Boolean(value, variant_level=1)})


def connect(device):
    p = printers[device.path]
    if p['away']:
        raise dbus.exceptions.DBusException('Page Timeout', name='org.bluez.Error.Failed')
    if p['connected']:
        raise dbus.exceptions.DBusException('Already Connected', name='org.bluez.Error.AlreadyConnected')
    if p['port']:
        p['sock'] = socket.create_connection(('127.0.0.1', p['port']))
        p['watch'] = GLib.io_add_watch(p['sock'].fileno(), GLib.IO_IN | GLib.IO_HUP, heard, p)
    set_connected(p, True)


def disconnect(device):
    p = printers[device.path]
    if not p['connected']:
        raise dbus.exceptions.DBusException('Not Connected', name='org.bluez.Error.NotConnected')
    set_connected(p, False)


def not_connected():
    return dbus.exceptions.DBusException('Not Connected', name='org.bluez.Error.NotConnected')


def write_value(char, value, _options):
    p = printers[char.path.rsplit('/', 2)[0]]
    if not p['connected']:
        raise not_connected()
    data = bytes(value)
    if len(data) > p['mtu'] - 3:
        raise dbus.exceptions.DBusException('Too long', name='org.bluez.Error.InvalidValueLength')
    if p['drop_after'] is not None and p['received'] + len(data) > p['drop_after']:
        p['drop_after'] = None
        p['away'] = True
        set_connected(p, False)
        raise not_connected()
    p['received'] += len(data)
    with open(os.path.join(p['out'], 'wire.bin'), 'ab') as f:
        f.write(data)
    with open(os.path.join(p['out'], 'writes.txt'), 'a', encoding='ascii') as f:
        f.write(f'{len(data)}\n')
    if p['sock']:
        p['sock'].sendall(data)
    if p['kind'] == 'cat' and p['xoff_every'] and p['received'] // p['xoff_every'] != (p['received'] - len(data)) // p['xoff_every']:
        # Says "stop" now and "go on" a moment later, as a busy cat printer does.
        notify(p, [dbus.Byte(b) for b in bytes.fromhex('5178ae0101001070ff')])
        GLib.timeout_add(50, lambda: notify(p, [dbus.Byte(b) for b in bytes.fromhex('5178ae0101000000ff')]) and False)


def start_notify(char):
    printers[char.path.rsplit('/', 2)[0]]['notifying'] = True


def stop_notify(char):
    printers[char.path.rsplit('/', 2)[0]]['notifying'] = False


def drop(device):
    p = printers[device.path]
    p['away'] = True
    if p['connected']:
        set_connected(p, False)


def back(device):
    printers[device.path]['away'] = False


def say_stop(device):
    notify(printers[device.path], [dbus.Byte(b) for b in bytes.fromhex('5178ae0101001070ff')])


def load_paper(device):
    p = printers[device.path]
    if p['sim_pid']:
        os.kill(p['sim_pid'], signal.SIGUSR1)


def add_printer(mock, desc):
    service, write, notify_uuid, *silent = (full(u) for u in KINDS[desc['kind']])
    path = AddDevice(mock, 'hci0', desc['address'], desc['name'])  # noqa: F405
    device = mockobject.objects[path]
    device.props[DEVICE_IFACE]['UUIDs'] = dbus.Array(
        [] if desc.get('hide_uuids') else [service], signature='s', variant_level=1)
    device.AddMethods(DEVICE_IFACE, [('Connect', '', '', connect), ('Disconnect', '', '', disconnect)])
    device.AddMethods(CONTROL_IFACE, [('Drop', '', '', drop), ('Back', '', '', back),
                                      ('LoadPaper', '', '', load_paper), ('SayStop', '', '', say_stop)])
    mtu = int(desc.get('mtu', 23))
    mock.AddObject(path + '/service0010', SERVICE_IFACE,
                   {'UUID': service, 'Primary': True, 'Device': dbus.ObjectPath(path)}, [])
    chars = (('0011', write, ['write-without-response', 'write']), ('0013', notify_uuid, ['notify']))
    if write == notify_uuid:
        chars = (('0013', write, ['write-without-response', 'notify']),)
    chars += tuple(('0015', uuid, ['notify']) for uuid in silent)
    for number, uuid, flags in chars:
        mock.AddObject(f'{path}/service0010/char{number}', CHAR_IFACE,
                       {'UUID': uuid, 'Service': dbus.ObjectPath(path + '/service0010'),
                        'Flags': dbus.Array(flags, signature='s'), 'MTU': dbus.UInt16(mtu),
                        'Value': dbus.Array([], signature='y')},
                       [('WriteValue', 'aya{sv}', '', write_value), ('StartNotify', '', '', start_notify),
                        ('StopNotify', '', '', stop_notify)])
    printers[path] = {
        'path': path, 'kind': desc['kind'], 'out': desc['out'], 'port': desc.get('port'),
        'sim_pid': desc.get('sim_pid'), 'mtu': mtu, 'drop_after': desc.get('drop_after'),
        'xoff_every': desc.get('xoff_every'), 'notify': f'{path}/service0010/char0013',
        'connected': False, 'away': False, 'notifying': False, 'received': 0, 'sock': None, 'watch': 0,
    }


def add_all(mock, parameters):
    AddAdapter(mock, 'hci0', 'thermal-ble-sim')  # noqa: F405
    for desc in parameters.get('printers', []):
        add_printer(mock, desc)
    return False


def load(mock, parameters):
    bluez5.load(mock, parameters)
    # The root object is registered once the template is loaded.
    GLib.idle_add(add_all, mock, parameters)
