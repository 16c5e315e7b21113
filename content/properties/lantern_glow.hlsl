// A lit hint lantern breathes: its picture drawn again in lamplight, swelling and fading once
// every three seconds from nothing, so the widget can go between two breaths unseen.

float4x4 WorldViewProj;
float Clock;
sampler2D Picture;

struct VertexOut {
    float4 position : POSITION;
    float2 uv : TEXCOORD0;
    float4 color : COLOR0;
};

VertexOut VS(float4 position : POSITION, float2 uv : TEXCOORD0, float4 color : COLOR0) {
    VertexOut o;
    o.position = mul(position, WorldViewProj);
    o.uv = uv;
    o.color = color;
    return o;
}

float4 PS(float2 uv : TEXCOORD0, float4 color : COLOR0) : COLOR0 {
    float4 texel = tex2D(Picture, uv) * color;
    // The clock counts updates, a hundred a second.
    float breath = 0.5 - 0.5 * cos(Clock * 0.020943951);
    // Lamplight (255, 214, 120), strongest where the lantern is brightest.
    float3 lamp = float3(1.0, 0.84, 0.47);
    float light = dot(texel.rgb, float3(0.3, 0.5, 0.2));
    return float4(lamp * light * light * breath * 0.6, 0.0);
}
