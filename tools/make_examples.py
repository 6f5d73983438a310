#!/usr/bin/env python3
"""Writes the bundled example scenes as glTF 2.0 files with embedded buffers.

examples/still-life.gltf  a floor, a red box, a blue pyramid in front of it, a
                          green twelve-sided column and a camera: objects that
                          hide each other, several colours and sharp creases.
examples/turntable.gltf   a box turning once around its vertical axis in one
                          second at 24 frames per second.
"""
import base64
import json
import math
import struct


class Gltf:
    def __init__(self):
        self.doc = {"asset": {"version": "2.0", "generator": "vexmark make_examples"},
                    "scene": 0, "scenes": [{"nodes": []}], "nodes": [], "meshes": [],
                    "materials": [], "accessors": [], "bufferViews": [], "cameras": []}
        self.data = bytearray()

    def _view(self, payload, target=None):
        while len(self.data) % 4:
            self.data.append(0)
        view = {"buffer": 0, "byteOffset": len(self.data), "byteLength": len(payload)}
        if target:
            view["target"] = target
        self.data += payload
        self.doc["bufferViews"].append(view)
        return len(self.doc["bufferViews"]) - 1

    def _accessor(self, payload, component, count, kind, target=None, bounds=None):
        accessor = {"bufferView": self._view(payload, target), "componentType": component,
                    "count": count, "type": kind}
        if bounds:
            accessor["min"], accessor["max"] = bounds
        self.doc["accessors"].append(accessor)
        return len(self.doc["accessors"]) - 1

    def material(self, name, rgb):
        self.doc["materials"].append(
            {"name": name, "pbrMetallicRoughness": {"baseColorFactor": list(rgb) + [1.0],
                                                     "metallicFactor": 0.0}})
        return len(self.doc["materials"]) - 1

    def mesh(self, name, points, triangles, material):
        flat = [c for p in points for c in p]
        lo = [min(p[i] for p in points) for i in range(3)]
        hi = [max(p[i] for p in points) for i in range(3)]
        position = self._accessor(struct.pack("<%df" % len(flat), *flat), 5126, len(points),
                                  "VEC3", 34962, (lo, hi))
        indices = [i for t in triangles for i in t]
        index = self._accessor(struct.pack("<%dH" % len(indices), *indices), 5123, len(indices),
                               "SCALAR", 34963)
        self.doc["meshes"].append({"name": name, "primitives": [
            {"attributes": {"POSITION": position}, "indices": index, "material": material}]})
        return len(self.doc["meshes"]) - 1

    def node(self, node, top=True):
        self.doc["nodes"].append(node)
        index = len(self.doc["nodes"]) - 1
        if top:
            self.doc["scenes"][0]["nodes"].append(index)
        return index

    def camera(self, name, yfov, eye, target):
        self.doc["cameras"].append({"name": name, "type": "perspective", "perspective": {
            "yfov": yfov, "aspectRatio": 4.0 / 3.0, "znear": 0.1, "zfar": 100.0}})
        return self.node({"name": name, "camera": len(self.doc["cameras"]) - 1,
                          "translation": list(eye), "rotation": look_at(eye, target)})

    def rotation_animation(self, node, seconds, turns_axis_y):
        times = [seconds * i / 8 for i in range(9)]
        quats = []
        for t in times:
            angle = 2 * math.pi * t / seconds
            quats += [0.0, math.sin(angle / 2), 0.0, math.cos(angle / 2)]
        time_acc = self._accessor(struct.pack("<%df" % len(times), *times), 5126, len(times),
                                  "SCALAR", bounds=([times[0]], [times[-1]]))
        quat_acc = self._accessor(struct.pack("<%df" % len(quats), *quats), 5126, len(times),
                                  "VEC4")
        self.doc.setdefault("animations", []).append({
            "name": "turn", "samplers": [{"input": time_acc, "output": quat_acc,
                                          "interpolation": "LINEAR"}],
            "channels": [{"sampler": 0, "target": {"node": node, "path": "rotation"}}]})

    def write(self, path):
        self.doc["buffers"] = [{"byteLength": len(self.data), "uri":
                                "data:application/octet-stream;base64," +
                                base64.b64encode(bytes(self.data)).decode()}]
        if not self.doc["cameras"]:
            del self.doc["cameras"]
        with open(path, "w") as f:
            json.dump(self.doc, f, indent=1)
            f.write("\n")


def look_at(eye, target):
    """The quaternion that turns a glTF camera (looking down -Z, +Y up) at target."""
    f = [t - e for t, e in zip(target, eye)]
    n = math.sqrt(sum(c * c for c in f))
    f = [c / n for c in f]
    z = [-c for c in f]  # the camera's +Z points away from the target
    up = [0.0, 1.0, 0.0]
    x = [up[1] * z[2] - up[2] * z[1], up[2] * z[0] - up[0] * z[2], up[0] * z[1] - up[1] * z[0]]
    n = math.sqrt(sum(c * c for c in x))
    x = [c / n for c in x]
    y = [z[1] * x[2] - z[2] * x[1], z[2] * x[0] - z[0] * x[2], z[0] * x[1] - z[1] * x[0]]
    m = [[x[0], y[0], z[0]], [x[1], y[1], z[1]], [x[2], y[2], z[2]]]
    trace = m[0][0] + m[1][1] + m[2][2]
    if trace > 0:
        s = 0.5 / math.sqrt(trace + 1.0)
        return [(m[2][1] - m[1][2]) * s, (m[0][2] - m[2][0]) * s, (m[1][0] - m[0][1]) * s, 0.25 / s]
    i = max(range(3), key=lambda k: m[k][k])
    j, k = (i + 1) % 3, (i + 2) % 3
    s = 2.0 * math.sqrt(1.0 + m[i][i] - m[j][j] - m[k][k])
    q = [0.0, 0.0, 0.0, (m[k][j] - m[j][k]) / s]
    q[i] = 0.25 * s
    q[j] = (m[j][i] + m[i][j]) / s
    q[k] = (m[k][i] + m[i][k]) / s
    return q


def box(w, h, d):
    points = [(x * w / 2, y * h / 2, z * d / 2) for x in (-1, 1) for y in (-1, 1) for z in (-1, 1)]
    faces = [(0, 1, 3, 2), (4, 6, 7, 5), (0, 4, 5, 1), (2, 3, 7, 6), (0, 2, 6, 4), (1, 5, 7, 3)]
    return points, [t for a, b, c, d in faces for t in ((a, b, c), (a, c, d))]


def pyramid(w, h):
    points = [(-w / 2, 0, -w / 2), (w / 2, 0, -w / 2), (w / 2, 0, w / 2), (-w / 2, 0, w / 2),
              (0, h, 0)]
    return points, [(0, 1, 2), (0, 2, 3), (0, 4, 1), (1, 4, 2), (2, 4, 3), (3, 4, 0)]


def column(radius, height, sides):
    points = [(radius * math.cos(2 * math.pi * i / sides), y, radius * math.sin(2 * math.pi * i / sides))
              for y in (0.0, height) for i in range(sides)]
    points += [(0.0, 0.0, 0.0), (0.0, height, 0.0)]
    bottom, top = 2 * sides, 2 * sides + 1
    triangles = []
    for i in range(sides):
        j = (i + 1) % sides
        triangles += [(i, sides + i, sides + j), (i, sides + j, j)]
        triangles += [(bottom, i, j), (top, sides + j, sides + i)]
    return points, triangles


def still_life(path):
    g = Gltf()
    grey = g.material("Floor", (0.8, 0.8, 0.78))
    red = g.material("Red", (0.85, 0.15, 0.1))
    blue = g.material("Blue", (0.15, 0.3, 0.8))
    green = g.material("Green", (0.2, 0.6, 0.25))
    g.node({"name": "Floor", "mesh": g.mesh("Floor", *box(8, 0.2, 6), grey),
            "translation": [0, -0.1, 0]})
    group = g.node({"name": "Objects", "children": []})
    children = g.doc["nodes"][group]["children"]
    children.append(g.node({"name": "Box", "mesh": g.mesh("Box", *box(1.6, 1.6, 1.6), red),
                            "translation": [-0.6, 0.8, -0.8],
                            "rotation": [0, math.sin(0.3), 0, math.cos(0.3)]}, top=False))
    children.append(g.node({"name": "Pyramid", "mesh": g.mesh("Pyramid", *pyramid(1.4, 1.5), blue),
                            "translation": [0.2, 0.0, 0.8]}, top=False))
    children.append(g.node({"name": "Column", "mesh": g.mesh("Column", *column(0.45, 2.4, 12), green),
                            "translation": [1.7, 0.0, -0.6]}, top=False))
    g.camera("Camera", 0.6, (4.5, 3.2, 6.0), (0.2, 0.7, -0.2))
    g.write(path)


def turntable(path):
    g = Gltf()
    grey = g.material("Floor", (0.8, 0.8, 0.78))
    red = g.material("Red", (0.85, 0.15, 0.1))
    g.node({"name": "Floor", "mesh": g.mesh("Floor", *box(5, 0.2, 5), grey),
            "translation": [0, -0.1, 0]})
    spinner = g.node({"name": "Box", "mesh": g.mesh("Box", *box(1.6, 1.6, 1.6), red),
                      "translation": [0, 0.8, 0]})
    g.rotation_animation(spinner, 1.0, True)
    g.camera("Camera", 0.7, (3.0, 2.6, 4.2), (0.0, 0.6, 0.0))
    g.write(path)


if __name__ == "__main__":
    still_life("examples/still-life.gltf")
    turntable("examples/turntable.gltf")
