// The scene's objects as a tree (GET /api/scene), each with its export tag:
// the tag's fields are controls made from the tag keys the server describes;
// an object without a tag can get one, and a tag can be removed.
import { addControl } from "./controls.js";
import { errorText, putJson, remove } from "./api.js";

export class ObjectTree {
  // `onChanged()` runs after a tag was made, changed or removed.
  constructor(container, onChanged) {
    this.container = container;
    this.onChanged = onChanged;
    this.tagKeys = [];
  }

  build(scene, tagKeys) {
    this.tagKeys = tagKeys;
    const children = new Map();
    for (const object of scene.objects) {
      if (!children.has(object.parent)) children.set(object.parent, []);
      children.get(object.parent).push(object);
    }
    const roots = scene.objects.filter((object) => !scene.objects.some((o) => o.id === object.parent));
    this.container.replaceChildren(this.list(roots, children));
  }

  list(objects, children) {
    const list = document.createElement("ul");
    list.className = "objects";
    for (const object of objects) {
      const item = document.createElement("li");
      item.className = "object";
      item.dataset.id = String(object.id);
      item.append(this.row(object));
      if (object.kind === "mesh" || object.kind === "group") item.append(this.tagBox(object));
      const below = children.get(object.id);
      if (below) item.append(this.list(below, children));
      list.append(item);
    }
    return list;
  }

  row(object) {
    const row = document.createElement("div");
    const name = document.createElement("span");
    name.textContent = `${object.name} `;
    const kind = document.createElement("small");
    kind.textContent = object.kind;
    row.append(name, kind);
    return row;
  }

  // The tag's fields with a remove button, or a button that makes the tag.
  tagBox(object) {
    const box = document.createElement("div");
    box.className = "tag";
    box.id = `tag-${object.id}`;
    const path = `/api/objects/${object.id}/tag`;
    const button = document.createElement("button");
    button.type = "button";
    if (!object.tag) {
      button.textContent = "Add export tag";
      button.addEventListener("click", () => this.changeTag(object, box, putJson(path, {}), false));
      box.append(button);
      return box;
    }
    for (const key of this.tagKeys) {
      addControl(box, key, object.tag[key.name], async (name, value) => {
        const answer = await putJson(path, { [name]: value });
        if (!answer.ok) return errorText(answer);
        object.tag = answer.data;
        this.onChanged();
        return null;
      });
    }
    button.textContent = "Remove tag";
    button.addEventListener("click", () => this.changeTag(object, box, remove(path), true));
    box.append(button);
    return box;
  }

  // Makes or removes the tag, then redraws the object's box.
  async changeTag(object, box, pending, removing) {
    const answer = await pending;
    if (!answer.ok) {
      const error = document.createElement("div");
      error.className = "error";
      error.textContent = errorText(answer);
      box.append(error);
      return;
    }
    object.tag = removing ? null : answer.data;
    box.replaceWith(this.tagBox(object));
    this.onChanged();
  }
}
