// A common web model viewer, set up as such viewers usually are: three.js's WebGLRenderer,
// its RoomEnvironment prefiltered by PMREMGenerator as the scene's environment, physically
// based materials, ACES filmic tone mapping, sRGB output, the format's own loader. The
// driver (shoot.mjs) calls draw() with a model and a camera and reads the canvas back.
import * as THREE from 'three';
import { RoomEnvironment } from 'three/addons/environments/RoomEnvironment.js';
import { GLTFLoader } from 'three/addons/loaders/GLTFLoader.js';
import { ColladaLoader } from 'three/addons/loaders/ColladaLoader.js';
import { OBJLoader } from 'three/addons/loaders/OBJLoader.js';
import { MTLLoader } from 'three/addons/loaders/MTLLoader.js';
import { PLYLoader } from 'three/addons/loaders/PLYLoader.js';
import { STLLoader } from 'three/addons/loaders/STLLoader.js';
import { TDSLoader } from 'three/addons/loaders/TDSLoader.js';
import { FBXLoader } from 'three/addons/loaders/FBXLoader.js';

const Width = 1280;
const Height = 768;
// Textures still loading after this long are given up on (and named).
const LoadSeconds = 60;

const renderer = new THREE.WebGLRenderer({ antialias: true, preserveDrawingBuffer: true });
renderer.setPixelRatio(1);
renderer.setSize(Width, Height);
renderer.toneMapping = THREE.ACESFilmicToneMapping;
renderer.toneMappingExposure = 1;
renderer.outputColorSpace = THREE.SRGBColorSpace;
document.body.appendChild(renderer.domElement);
const environment = new THREE.PMREMGenerator(renderer).fromScene(new RoomEnvironment(), 0.04).texture;

// Where a loader's picture of the file differs from Assimp's, turned so that one camera sees
// the same model in both: Assimp turns a 3DS file's Z-up world to Y-up, three.js's 3DS
// loader leaves it as it is.
const conventions = {
    '3ds': (root) => root.rotation.set(-Math.PI / 2, 0, 0),
};

// Files that give no material: a neutral grey dielectric (base colour 0.8, roughness 0.5, no
// metal); their vertex colours as the base colour where they have them.
// Normals from the faces where the file gives none, or only zeros (STL files often do).
function plainMesh(geometry) {
    const normals = geometry.getAttribute('normal');
    if (!normals || normals.array.every((value) => value === 0)) geometry.computeVertexNormals();
    const coloured = geometry.hasAttribute('color');
    const material = new THREE.MeshStandardMaterial({
        color: coloured ? new THREE.Color(1, 1, 1) : new THREE.Color(0.8, 0.8, 0.8),
        vertexColors: coloured,
        roughness: 0.5,
        metalness: 0,
    });
    if (geometry.hasColors && geometry.alpha < 1) Object.assign(material, { opacity: geometry.alpha, transparent: true });
    return new THREE.Mesh(geometry, material);
}

// Phong-style materials (OBJ, COLLADA, 3DS, FBX loaders) taken to physically based ones,
// which the environment lights: the same colours and maps, no metal, and the roughness of
// a GGX lobe as wide as the Blinn-Phong one of the shininess: (2 / (shininess + 2))^(1/4).
function physical(material) {
    if (material.isMeshStandardMaterial || material.isMeshBasicMaterial || !material.isMaterial) return material;
    const shininess = material.isMeshPhongMaterial ? material.shininess : 0;
    const standard = new THREE.MeshStandardMaterial({
        name: material.name,
        color: material.color,
        map: material.map,
        emissive: material.emissive ?? new THREE.Color(0, 0, 0),
        emissiveMap: material.emissiveMap ?? null,
        emissiveIntensity: material.emissiveIntensity ?? 1,
        normalMap: material.normalMap ?? null,
        bumpMap: material.bumpMap ?? null,
        bumpScale: material.bumpScale ?? 1,
        alphaMap: material.alphaMap ?? null,
        aoMap: material.aoMap ?? null,
        opacity: material.opacity,
        transparent: material.transparent,
        alphaTest: material.alphaTest,
        side: material.side,
        vertexColors: material.vertexColors,
        flatShading: material.flatShading ?? false,
        metalness: 0,
        roughness: Math.pow(2 / (Math.max(shininess, 0) + 2), 0.25),
    });
    if (material.normalScale) standard.normalScale.copy(material.normalScale);
    return standard;
}

// A loading manager that says when everything it was asked for has come (or failed).
function trackedManager(missing) {
    const manager = new THREE.LoadingManager();
    let pending = 0;
    let waiting = [];
    const start = manager.itemStart.bind(manager);
    const end = manager.itemEnd.bind(manager);
    manager.itemStart = (url) => { pending++; start(url); };
    manager.itemEnd = (url) => {
        pending--;
        end(url);
        if (pending === 0) waiting.splice(0).forEach((wake) => wake());
    };
    manager.onError = (url) => missing.push(decodeURIComponent(url.replace(/^.*\/file\//, '/')));
    manager.idle = () => pending === 0 ? Promise.resolve(true)
        : Promise.race([new Promise((wake) => waiting.push(() => wake(true))),
                        new Promise((wake) => setTimeout(() => wake(false), LoadSeconds * 1000))]);
    return manager;
}

async function load(url, format, manager) {
    const folder = url.slice(0, url.lastIndexOf('/') + 1);
    switch (format) {
    case 'gltf': case 'glb': return (await new GLTFLoader(manager).loadAsync(url)).scene;
    case 'dae': return (await new ColladaLoader(manager).loadAsync(url)).scene;
    case 'fbx': return await new FBXLoader(manager).loadAsync(url);
    case '3ds': return await new TDSLoader(manager).setResourcePath(folder).loadAsync(url);
    case 'ply': return plainMesh(await new PLYLoader(manager).loadAsync(url));
    case 'stl': return plainMesh(await new STLLoader(manager).loadAsync(url));
    case 'obj': {
        // Viewers take the material libraries the file names from beside it.
        const text = await (await fetch(url)).text();
        const loader = new OBJLoader(manager);
        const libraries = [...text.matchAll(/^\s*mtllib\s+(.+?)\s*$/gm)].map((line) => line[1]);
        for (const library of libraries) {
            try {
                const materials = await new MTLLoader(manager).setPath(folder).loadAsync(library);
                materials.preload();
                loader.setMaterials(materials);
            } catch (error) {
                manager.onError(folder + library);
            }
        }
        return loader.parse(text);
    }
    default: throw new Error('no three.js loader for .' + format);
    }
}

const vector = (v) => [v.x, v.y, v.z];

// Draws the model at `job.url` (its format `job.format`) from the camera `job.view` (a
// path file's start with the vertical field of view, the aspect and the planes) and says
// what it drew: the model's box as three.js places it, its meshes and triangles, the files
// that did not load.
window.draw = async (job) => {
    const missing = [];
    const manager = trackedManager(missing);
    const scene = new THREE.Scene();
    scene.environment = environment;
    scene.background = new THREE.Color().setRGB(job.background[0] / 255, job.background[1] / 255,
                                                 job.background[2] / 255, THREE.SRGBColorSpace);
    const model = await load(job.url, job.format, manager);
    const loaded = await manager.idle();
    const root = new THREE.Group();
    root.add(model);
    conventions[job.format]?.(root);
    scene.add(root);
    let meshes = 0;
    let triangles = 0;
    root.traverse((node) => {
        if (!node.isMesh) return;
        meshes++;
        const index = node.geometry.index;
        triangles += (index ? index.count : node.geometry.attributes.position.count) / 3;
        node.material = Array.isArray(node.material) ? node.material.map(physical) : physical(node.material);
    });
    root.updateMatrixWorld(true);
    const box = new THREE.Box3().setFromObject(root, true);

    const view = job.view;
    const camera = new THREE.PerspectiveCamera(THREE.MathUtils.radToDeg(view.vertical_fov), view.aspect, view.near, view.far);
    camera.position.fromArray(view.start.position);
    camera.up.set(0, 1, 0);
    camera.lookAt(new THREE.Vector3().fromArray(view.start.looking_at));
    camera.updateMatrixWorld(true);

    // Twice, with a frame between: images decoded late are on the textures by the second.
    renderer.render(scene, camera);
    await new Promise((done) => requestAnimationFrame(() => requestAnimationFrame(done)));
    renderer.render(scene, camera);
    return {
        loaded,
        missing,
        meshes,
        triangles,
        box: box.isEmpty() ? null : { min: vector(box.min), max: vector(box.max) },
        picture: renderer.domElement.toDataURL('image/png'),
    };
};
window.viewerReady = true;
