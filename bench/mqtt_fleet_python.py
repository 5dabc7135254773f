#!/usr/bin/python3
"""The MQTT fleet bench's Python contender: reads "r<i>,<ns>" CR LF records from a pty and publishes
each one with paho-mqtt, QoS 1, as a plain script would."""
import os
import sys
import tty

import paho.mqtt.client as mqtt

fd = os.open(sys.argv[1], os.O_RDWR | os.O_NOCTTY)
tty.setraw(fd)
client = mqtt.Client(client_id="bench-python")
client.connect("127.0.0.1", int(sys.argv[2]))
client.loop_start()
print("ready", flush=True)
pending = b""
while True:
    chunk = os.read(fd, 4096)
    if not chunk:
        break
    pending += chunk
    *lines, pending = pending.split(b"\n")
    for line in lines:
        r, t = line.strip().split(b",")
        client.publish("contender/python", b"python %s %s" % (r[1:], t), qos=1)
